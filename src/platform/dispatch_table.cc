#include "platform/dispatch_table.h"

#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr int32_t kArgumentNotOptional = 449;
constexpr int32_t kWrongArgumentCount = 450;

// The argument as the parameter receives it.  The automation run time's
// coercion of arguments knows no "invalid use of Null": null for a typed
// parameter is a type mismatch there.
std::variant<int32_t, std::string, bool, Variant> Coerce(const Parameter& param,
                                                         const Variant& value) {
  if (param.type != ParamType::kVariant) {
    if (value.IsMissing()) Raise(kArgumentNotOptional);
    if (value.IsNull()) Raise(kErrTypeMismatch);
  }
  switch (param.type) {
    case ParamType::kLong:
      return CLng(value);
    case ParamType::kText:
      return CStr(value);
    case ParamType::kBoolean:
      return CBool(value);
    case ParamType::kVariant:
      break;
  }
  return value;
}

}  // namespace

CallArguments::CallArguments(const std::vector<Parameter>& params,
                             const std::vector<Variant>& args) {
  size_t required = 0;
  for (size_t i = 0; i < params.size(); ++i) {
    if (!params[i].optional) required = i + 1;
  }
  if (args.size() > params.size() || args.size() < required) {
    Raise(kWrongArgumentCount);
  }
  values_.reserve(params.size());
  write_back_.reserve(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    bool given = i < args.size() && !args[i].IsMissing();
    if (!given && !params[i].optional) Raise(kArgumentNotOptional);
    values_.push_back(
        Coerce(params[i], given ? args[i] : params[i].default_value));
    write_back_.push_back(given && params[i].by_ref);
  }
}

int32_t& CallArguments::Long(size_t i) { return std::get<int32_t>(values_[i]); }
std::string& CallArguments::Text(size_t i) {
  return std::get<std::string>(values_[i]);
}
bool& CallArguments::Boolean(size_t i) { return std::get<bool>(values_[i]); }
Variant& CallArguments::Value(size_t i) {
  return std::get<Variant>(values_[i]);
}

void CallArguments::WriteBack(std::vector<Variant>& args) const {
  for (size_t i = 0; i < values_.size(); ++i) {
    if (!write_back_[i]) continue;
    args[i] = std::visit([](const auto& value) { return Variant(value); },
                         values_[i]);
  }
}

bool AnswersTo(InvokeKind declared, InvokeKind requested) {
  return (declared & requested) != 0;
}

void RaiseUnknownMember() { Raise(kErrUnknownMember); }

}  // namespace vx
