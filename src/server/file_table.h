// The table of files of a server database (vxdateien): each project file's
// path, in the suite's Windows form, and its file number, which the file's
// rows carry in their column vid.  Paths are told apart without regard to
// case, as Windows does.
//
// These run on a connection to the whole database; on a connection bound to
// one file they see that file's entry only.

#ifndef VX_SERVER_FILE_TABLE_H_
#define VX_SERVER_FILE_TABLE_H_

#include <libpq-fe.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vx::server {

// The number of the file at `path`; 0 when the server does not know it.
int32_t FileNumberOf(PGconn* connection, const std::string& path);

// The number of the file at `path`, registered under a new number when the
// server does not know it yet.  Safe against a concurrent registration of
// the same path: both get the same number.
int32_t RegisterFile(PGconn* connection, const std::string& path);

// Deletes the rows of the file at `path` from every table with a file
// number, and its entry, in one transaction; saved table sets (tables with
// a column SicherungsName) belong to their name and stay.  False when the
// server does not know the file.
bool ForgetFile(PGconn* connection, const std::string& path);

// The tables of the connection's database whose rows carry a file number,
// saved sets and the table of files left out.
std::vector<std::string> FileTables(PGconn* connection);

}  // namespace vx::server

#endif  // VX_SERVER_FILE_TABLE_H_
