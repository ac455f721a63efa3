// Whether the database server holds a project file, when the suite's data
// lie there: the tables of a project's files are rows of the server
// database, not files.

#ifndef VX_FILES_PROJECT_FILE_EXISTS_H_
#define VX_FILES_PROJECT_FILE_EXISTS_H_

#include <string>

namespace vx {

// Whether the server holds the project file `path` (its rows, by project
// number and kind of file).  Never raises.
//
// The server's file store is not there yet: the answer is false.
bool ProjektDateiExists_4SQL(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_PROJECT_FILE_EXISTS_H_
