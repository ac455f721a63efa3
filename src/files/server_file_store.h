// The server's file store: whole documents kept as records of the table
// VXFiles, found by file name and document type, when the suite's data lie
// on a database server.

#ifndef VX_FILES_SERVER_FILE_STORE_H_
#define VX_FILES_SERVER_FILE_STORE_H_

#include <string>

namespace vx {

// Whether the store holds a document with the file name of `path` (with
// its extension) and the type `type` ("TEXTE", "ATX", "ETX", "LBSKIZZE").
// Never raises.
//
// The store is not there yet: nothing is held, the answer is false.
bool Server_FileExistsInVXFiles(const std::string& path,
                                const std::string& type);

// Deletes the server-side content of the file `path`; true when it did.
// Never raises.
//
// The store is not there yet: nothing is deleted, the answer is false.
bool Server_FileKill(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_SERVER_FILE_STORE_H_
