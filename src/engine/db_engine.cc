#include "engine/db_engine.h"

#include "engine/connection.h"
#include "engine/dao_errors.h"
#include "engine/database.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

// An optional argument as a flag; 3001 when it is none.
bool FlagArgument(const Variant& value) {
  if (value.IsMissing() || value.IsEmpty()) return false;
  try {
    return CBool(value);
  } catch (const Error&) {
    RaiseDao(kErrInvalidArgument);
  }
}

}  // namespace

std::shared_ptr<Database> DBEngine::OpenDatabase(const std::string& name,
                                                 const Variant& options,
                                                 const Variant& read_only,
                                                 const Variant& connect) {
  std::string connect_text;
  if (!connect.IsMissing() && !connect.IsEmpty()) {
    try {
      connect_text = CStr(connect);
    } catch (const Error&) {
      RaiseDao(kErrInvalidArgument);
    }
  }
  return std::make_shared<Database>(Connection::Open(
      name, FlagArgument(options), FlagArgument(read_only), connect_text));
}

void DBEngine::Idle(const Variant& action) {
  if (action.IsMissing()) return;
  int32_t value = 0;
  try {
    value = CLng(action);
  } catch (const Error&) {
    RaiseDao(kErrInvalidArgument);
  }
  if (value <= 0 || (value & ~(kIdleFreeLocks | kIdleRefreshCache)) != 0) {
    RaiseDao(kErrInvalidArgument);
  }
}

}  // namespace vx::dao
