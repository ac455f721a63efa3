// Whether the database server holds a project file, when the suite's data
// lie there: the tables of a project's files are rows of the server
// database, not files.

#ifndef VX_FILES_PROJECT_FILE_EXISTS_H_
#define VX_FILES_PROJECT_FILE_EXISTS_H_

#include <string>

namespace vx {

// Whether the server holds the project file `path`.  A file in the
// structures folder is always there, and so are the files every project
// shares (OBJFIN, OBJKTOINH, OPTIONEN, OBJBEM.VX3OB; RB_ALLG,
// RB_DBDRU.VX3RB).  A project's object, cost, calculation and invoice
// files (.VX3OB, .VX3KO, .VX3AB, .VX3KS, .VX3RB, .VX3EK) are there when the
// project database has rows for the project the base name numbers; any
// other file when the server's table of files knows its path.  Never
// raises; a failure answers false.
bool ProjektDateiExists_4SQL(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_PROJECT_FILE_EXISTS_H_
