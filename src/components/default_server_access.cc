// The server access component the library brings along.  It reports the
// database kind that the installation's settings file names in section
// "Server", key "DatenbankArt" (0 when missing): 0 or 1 for data in files,
// 2 or more for data on a database server.

#include <memory>
#include <string>

#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"
#include "vx_taluvek/variant.h"

namespace vx {

namespace {

class DefaultServerAccess : public ServerAccess {
 public:
  int32_t DatenbankArt() override {
    std::string value;
    CurrentHost().GetProfileString("Server", "DatenbankArt", "0", &value, 64,
                                   SettingsFileName());
    return CLng(Val(value));
  }
};

const bool registered = [] {
  RegisterComponent(ServerAccess::kProgramId,
                    [] { return std::make_shared<DefaultServerAccess>(); });
  return true;
}();

}  // namespace

}  // namespace vx
