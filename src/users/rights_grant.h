// Granting rights on the suite's data objects (a project, a file of a
// project, a node of the project structure) to users and groups.
//
// The decisions live in the suite's rights components; these two entry
// points are where the library hands them a grant.  Until the user
// administration is wired in they grant nothing: a caller may call them at
// every point where a grant belongs, and nothing changes.

#ifndef VX_USERS_RIGHTS_GRANT_H_
#define VX_USERS_RIGHTS_GRANT_H_

#include <cstdint>
#include <functional>
#include <string>

namespace vx {

// Grants `id` (a user, or a group when `id_ist_gruppe`) the read, write and
// owner rights given on the object `kuerzel` of type `typ` ("PR" with the
// project number for a project).  Never raises.
void BerechtigungVergeben(int32_t id, const std::string& typ,
                          const std::string& kuerzel, bool lesen,
                          bool schreiben, bool besitzer, bool id_ist_gruppe);

// Lets the newly created object `kuerzel` of type `typ` inherit the rights
// of the object above it (a project those of its structure node).
void RechteVererben(const std::string& typ, const std::string& kuerzel);

// What a caller asked of the two functions above.
struct RightsRequest {
  enum class Kind { kGrant, kInherit };
  Kind kind = Kind::kGrant;
  int32_t id = 0;  // 0 for an inheritance
  std::string typ;
  std::string kuerzel;
  bool lesen = false;
  bool schreiben = false;
  bool besitzer = false;
  bool id_ist_gruppe = false;
};

// Installs `observer` for the calling thread (an empty one removes it): it
// sees every request, so that the tests of a caller can tell whether and
// what it grants while granting itself does nothing.
void SetRightsObserver(std::function<void(const RightsRequest&)> observer);

}  // namespace vx

#endif  // VX_USERS_RIGHTS_GRANT_H_
