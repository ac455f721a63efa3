// Templates: table sets saved on the database server under a name, listed
// in the server table Vorlagen; the saved rows of each table the kind's
// SavTables entries name lie in SAV<kind>__<table>, tagged by the set's name.
//
// Every operation works only on a database server (IsServerMode); outside
// it nothing changes and the answer is false.  None raises or leaves an
// error pending.  Names and kinds may hold any character, apostrophes
// included.

#ifndef VX_FILES_TEMPLATES_H_
#define VX_FILES_TEMPLATES_H_

#include <string>
#include <vector>

#include "data/connections.h"

namespace vx {

// The tables whose rows a set of kind `kind` saves, as the server
// database's SavTables lists them; names that are no plain names (letters,
// digits, "_") are left out, since a name becomes part of statements.
// Raises what reading the table raises.
std::vector<std::string> SavedTables(DbHandle& server, const std::string& kind);

// Saves the rows of the file `source` in the tables of kind `kind` ("LV",
// "LB") as the set `name`: a Vorlagen row and, for each of the kind's
// tables, a copy of the file's rows tagged with `name`; a source the
// server does not know gives a set without rows.  One transaction: true
// when the whole set was saved; after a failure (a saved table missing or
// unlike its table) nothing of it is there.
bool VorlageSpeichern(const std::string& source, const std::string& kind,
                      const std::string& name);

// Whether a template of the name `name` is saved (a row of Vorlagen with
// that Filename).
bool VorlageExists(const std::string& name);

// Deletes saved sets; true when at least one Vorlagen row went.  A `name`
// without "*" deletes the sets of exactly that name (Vorlagen rows of any
// kind); with "*" it is a pattern in which only "*" stands for any text
// ("_" and "%" match themselves), and only sets of kind `kind` go.  The
// saved rows go from the tables of kind `kind` in both cases.  In a
// pattern every "*" is replaced by "%", in the caller's variable too.
bool VorlageLoeschen(const std::string& kind, std::string& name);

}  // namespace vx

#endif  // VX_FILES_TEMPLATES_H_
