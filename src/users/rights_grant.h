// Granting rights on the suite's data objects (a project, a file of a
// project, a node of the project structure) to users and groups, and
// inheriting them from the object above a new one.
//
// The rights are recorded by the suite's rights component
// vx_BeRecht.clsBerechtigung; nothing is granted while the user
// administration is inactive.

#ifndef VX_USERS_RIGHTS_GRANT_H_
#define VX_USERS_RIGHTS_GRANT_H_

#include <cstdint>
#include <string>

namespace vx {

// Grants `id` (a user, or a group when `id_ist_gruppe`) the read, write and
// owner rights given on the object `kuerzel` of type `typ` ("PR" with the
// project number for a project).  Never raises: a failure is shown in an
// error box and nothing is granted.
void BerechtigungVergeben(int32_t id, const std::string& typ,
                          const std::string& kuerzel, bool lesen,
                          bool schreiben, bool besitzer, bool id_ist_gruppe);

// Lets the newly created object `kuerzel` of type `typ` inherit the rights
// that groups hold on the object above it, when the user administration is
// active and inheritance is on: a project ("PR") those of its structure
// node, a node ("ST", its decimal id) those of its parent node, a project
// file ("LV", "AU", "ZA", "EK", "RB", "KO", "BR", "KS", its file key) those
// of its project.  The logged-in user's single-user group and the
// administrators' groups are never copied.  A library module ("LB")
// receives the rights of the logged-in user's ordinary groups that hold the
// module rights "LB_START" (read) and "LB_EDIT" (read and write).  Raises
// the engine's errors.
void RechteVererben(const std::string& typ, const std::string& kuerzel);

}  // namespace vx

#endif  // VX_USERS_RIGHTS_GRANT_H_
