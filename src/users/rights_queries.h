// Rights queries against the user administration.
//
// Whether the user administration is active (while the table RechtDatei of
// the user database holds no row), whether rights are inherited, whether a
// user holds a module right, and the small lookups that granting and
// inheriting rights need.  The decisions are the rights components'
// (vx_BeRecht.clsRecht); this code prepares their input and words their
// outcome.  The answers about the administration are asked once per thread
// (ModuleState::RechteCache).

#ifndef VX_USERS_RIGHTS_QUERIES_H_
#define VX_USERS_RIGHTS_QUERIES_H_

#include <cstdint>
#include <memory>
#include <string>

#include "data/connections.h"
#include "vx_taluvek/components.h"

namespace vx {

// Whether the user administration is active; `neu_pruefen` forgets the
// thread's answer first.
bool bUserVerwAktiv(bool neu_pruefen);

// Whether the user database opens and its table RechtDatei exists and is
// empty.  Never raises.
bool RechtDateiLeer();

// Whether new data objects inherit the rights of the object above them
// (first row of Vererbung).  A failure answers false and is asked again
// next time.
bool bVererbungAn(bool neu_pruefen);

// Whether user `user_id` holds the module right `kuerzel`: always while the
// user administration is inactive, else as a new vx_BeRecht.clsRecht
// answers.  With an active administration user id 0 (nobody logged in) is
// refused.  With `melden`, a refusal is shown to the user, naming
// `beschreibung` (the action, may be empty).  Any failure refuses, with an
// error box.
bool bHatRecht(int32_t user_id, const std::string& kuerzel, bool melden,
               const std::string& beschreibung);

// Whether the user of AktUser holds `kuerzel`, asked of the kept rights
// object when there is one, else of `recht`.  False when the call fails.
bool HatRechtAktUser(const std::shared_ptr<Recht>& recht,
                     const std::string& kuerzel);

// The structure node of the project numbered `pro_nr`, 0 when none.
int32_t GetStrukturId(const std::string& pro_nr);
// The parent of the structure node `node_id`, 0 when none.
int32_t GetParentKey(int32_t node_id);
// The single-user group of `user_id`, 0 when none.  Opens the user
// database into `db` when that is nullptr, and closes it again.
int32_t GetEinzelGrpId(int32_t user_id, DbHandle& db);
// The single-user groups of all administrators, as "12, 40, 41"; "" when
// none.  Opens the database as GetEinzelGrpId does.
std::string GetAdminGrpListe(DbHandle& db);

// This thread's instance of the current-user class, created on first use.
AktUser& CurrentAktUser();

// The rights object a login kept for this thread (LoginOk with
// "Rechtobjekt behalten"), or nullptr.
std::shared_ptr<Recht>& KeptRecht();

}  // namespace vx

#endif  // VX_USERS_RIGHTS_QUERIES_H_
