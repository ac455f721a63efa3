// Late-bound calls: the automation binding of the library's objects.
//
// A caller that knows an object only at run time (a script, the `taluvek
// aufruf` command, another program of the suite) finds a member's dispatch
// identifier by its name, without regard to case, and invokes it as a
// method, a property get or a property let, with its arguments as
// variants.  Arguments that the member takes by reference are written back
// into the caller's variants; optional arguments may be left out (fewer
// arguments, or Variant::Missing()).  Arguments are coerced as the
// automation run time does it (a text "7" for a 32-bit parameter); errors
// carry the run time's numbers: 438 unknown member, 449 argument not
// optional, 450 wrong number of arguments, 13 type mismatch, 6 overflow.

#ifndef VX_TALUVEK_DISPATCH_H_
#define VX_TALUVEK_DISPATCH_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vx_taluvek/export.h"
#include "vx_taluvek/variant.h"

namespace vx {

// How a member is invoked.
enum InvokeKind : int32_t {
  kInvokeMethod = 1,
  kInvokePropertyGet = 2,
  kInvokePropertyPut = 4,
};

// Kinds combine as a late-bound caller asks: kInvokeMethod | kInvokePropertyGet
// calls a method or reads a property, whichever the member is.
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
  return static_cast<InvokeKind>(static_cast<int32_t>(a) | static_cast<int32_t>(b));
}

// A 128-bit identifier, written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct VX_TALUVEK_EXPORT Guid {
  std::array<uint8_t, 16> bytes{};
  friend bool operator==(const Guid&, const Guid&) = default;
  std::string ToString() const;
  // Raises 5 for a text that is no identifier.
  static Guid Parse(const std::string& text);
};

class VX_TALUVEK_EXPORT Dispatch : public Object {
 public:
  // The dispatch identifier of the member `name`; raises 438 when the
  // object has none of that name.
  virtual int32_t GetIDOfName(const std::string& name) = 0;

  // Invokes member `dispid` as `kind` with `args` in the member's parameter
  // order (for a property let, the new value is the last argument).  By-
  // reference arguments are written back into `args`.  Returns the result
  // (empty for a member without one).
  virtual Variant Invoke(int32_t dispid, InvokeKind kind,
                         std::vector<Variant>& args) = 0;

  // Checks a call of member `dispid` as `kind` with `args` as Invoke would
  // check it, without making it: raises 438 when the object has no such
  // member for that kind of call, and the errors of the arguments (450,
  // 449, 13, 6).  So a caller with a list of calls can refuse the list
  // before the first call changes anything.  An object that cannot tell
  // before the call checks nothing here.
  virtual void CheckCall(int32_t dispid, InvokeKind kind,
                         const std::vector<Variant>& args) {
    (void)dispid;
    (void)kind;
    (void)args;
  }

  // Whether the object answers to the interface `iid` (its current
  // interface or an earlier version of it).
  virtual bool SupportsInterface(const Guid& iid) = 0;

  // GetIDOfName and Invoke in one.
  Variant InvokeByName(const std::string& name, InvokeKind kind,
                       std::vector<Variant>& args) {
    return Invoke(GetIDOfName(name), kind, args);
  }
};

}  // namespace vx

#endif  // VX_TALUVEK_DISPATCH_H_
