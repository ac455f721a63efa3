// The member table behind a late-bound object.
//
// An object published through the binding (vx_taluvek/dispatch.h) describes
// its members once: name, dispatch identifier, how each is invoked and its
// parameters.  GetIDOfName and Invoke of the object's Dispatch then come from
// the table, so every published object treats its callers alike: members are
// found by name without regard to case, arguments are checked and coerced as
// the automation run time does it, the member runs on coerced copies, and
// by-reference arguments go back to the caller with their parameters' types
// (a text parameter hands back a text even when the caller passed a number).

#ifndef VX_PLATFORM_DISPATCH_TABLE_H_
#define VX_PLATFORM_DISPATCH_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/text.h"
#include "vx_taluvek/dispatch.h"
#include "vx_taluvek/variant.h"

namespace vx {

// The type a parameter is declared with, which decides the coercion of its
// argument (CLng, CStr, CBool; a variant parameter takes any value as it is).
enum class ParamType { kLong, kText, kBoolean, kVariant };

struct Parameter {
  ParamType type;
  bool by_ref = false;
  bool optional = false;
  // What an optional parameter receives when its argument is left out or
  // passed as Variant::Missing(): this value coerced to the parameter's type,
  // or, for a variant parameter without a default, Missing itself.
  Variant default_value = Variant::Missing();
};

// The arguments of one call, each coerced to its parameter's type.
class CallArguments {
 public:
  // Checks and coerces `args` for `params`.  Raises 450 "Wrong number of
  // arguments or invalid property assignment" for more arguments than
  // parameters or fewer than the parameters up to the last one that is not
  // optional; 449 "Argument not optional" when such a parameter's argument is
  // Variant::Missing(); 13 "Type mismatch" when an argument cannot be
  // coerced (null for a typed parameter included); 6 "Overflow" when a
  // number is out of the parameter's range.
  CallArguments(const std::vector<Parameter>& params,
                const std::vector<Variant>& args);

  // The coerced argument `i` as the member's parameter; the member may
  // change it.  The accessor must match the parameter's type.
  int32_t& Long(size_t i);
  std::string& Text(size_t i);
  bool& Boolean(size_t i);
  Variant& Value(size_t i);

  // Writes each by-reference argument that the caller passed (not left out,
  // not Missing) back into `args`, as a variant of its parameter's type.
  void WriteBack(std::vector<Variant>& args) const;

 private:
  std::vector<std::variant<int32_t, std::string, bool, Variant>> values_;
  std::vector<bool> write_back_;
};

// One member of a published object of type Target.
template <typename Target>
struct DispatchMember {
  const char* name;
  int32_t dispid;
  InvokeKind kind;  // exactly one of method, property get, property let
  std::vector<Parameter> params;  // of a property let: the new value, last
  Variant (*call)(Target& target, CallArguments& args);
};

// Whether a member declared as `declared` answers a call made as
// `requested`, which may combine kinds (a late-bound caller that wants a
// value asks for method or property get at once).
bool AnswersTo(InvokeKind declared, InvokeKind requested);

// Raises 438 "Object doesn't support this property or method".
[[noreturn]] void RaiseUnknownMember();

// The dispatch identifier of the member `name` (without regard to case);
// raises 438 when there is none.
template <typename Target>
int32_t DispIdOfName(const std::vector<DispatchMember<Target>>& members,
                     const std::string& name) {
  for (const DispatchMember<Target>& member : members) {
    if (EqualsNoCase(member.name, name)) return member.dispid;
  }
  RaiseUnknownMember();
}

// Invokes member `dispid` of `target` as `kind` (see Dispatch::Invoke).
// Raises 438 when no member has that identifier for that kind of call (a
// property let on a property that has none included: the run time reports
// a member it cannot find for the kind of call that way), and the errors of
// CallArguments.  By-reference arguments are written back only when the
// member ran.
template <typename Target>
Variant InvokeMember(const std::vector<DispatchMember<Target>>& members,
                     Target& target, int32_t dispid, InvokeKind kind,
                     std::vector<Variant>& args) {
  for (const DispatchMember<Target>& member : members) {
    if (member.dispid != dispid || !AnswersTo(member.kind, kind)) continue;
    CallArguments coerced(member.params, args);
    Variant result = member.call(target, coerced);
    coerced.WriteBack(args);
    return result;
  }
  RaiseUnknownMember();
}

// Checks a call as InvokeMember would make it, without making it (see
// Dispatch::CheckCall).
template <typename Target>
void CheckMemberCall(const std::vector<DispatchMember<Target>>& members,
                     int32_t dispid, InvokeKind kind,
                     const std::vector<Variant>& args) {
  for (const DispatchMember<Target>& member : members) {
    if (member.dispid != dispid || !AnswersTo(member.kind, kind)) continue;
    CallArguments coerced(member.params, args);
    return;
  }
  RaiseUnknownMember();
}

}  // namespace vx

#endif  // VX_PLATFORM_DISPATCH_TABLE_H_
