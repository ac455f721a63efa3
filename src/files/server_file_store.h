// The server's file store: whole documents kept as records of the table
// VXFiles, found by file name and document type, when the suite's data lie
// on a database server.

#ifndef VX_FILES_SERVER_FILE_STORE_H_
#define VX_FILES_SERVER_FILE_STORE_H_

#include <string>

namespace vx {

// Each of these works only on a database server (IsServerMode); outside
// it they change nothing and answer false or "".  They never raise and
// leave no error pending: any failure (no server, no table, an unreadable
// file) gives false or "".  Names and types may hold any character,
// apostrophes included.  In a developer build (IsDesign) a call without a
// type, a missing local file and a call outside server mode are shown in
// message boxes, and in developer mode (bIstEntwicklung) storing one of the
// suite's temporary copies ("~KVC..."); these never change an answer.

// Stores the local file `path` as the document `stored_name` of type
// `type` ("TEXTE", "ATX", "ETX", "LBSKIZZE" or the caller's own), replacing
// a document of that name and type.  An empty `stored_name` is set, for
// the caller too, to the file name of `path` with its extension.  The
// record and its bytes are written in one transaction: a failure leaves the
// previous document, or none, never a record without its bytes.  With
// `delete_afterwards` the local file is deleted once it is stored.  True
// when the document was stored; false when `path` is no local file.
bool Server_FileEinlagern(const std::string& path, const std::string& type,
                          std::string& stored_name, bool delete_afterwards);

// Whether the store holds a document with the file name of `path` (with
// its extension) and the type `type`.
bool Server_FileExistsInVXFiles(const std::string& path,
                                const std::string& type);

// Writes the stored document named by the file name of `path` and `type`
// to `target`, or to `path` itself when `target` is empty.  The file is
// written under a passing name and renamed into place, so that a failure
// leaves what was there.  Answers the server access component's non-zero
// status as text, or "" when nothing was written.
std::string Server_FileAuslagern(const std::string& path, const std::string& type,
                                 const std::string& target);

// Deletes the server-side content of the file `path`; true when it did:
// the saved sets of an LV companion (".VX3L1", ".VX3LX", ".VX3LR", in any
// case), the rows of a project file's tables (the shared measurement
// tables only where they belong to the file's kind), or a stored document.  False for
// the suite's temporary files ("\~KV"), for a project file the server
// cannot open and for a kind of file it holds no content of.  Called in
// server mode only.  Never raises.
bool Server_FileKill(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_SERVER_FILE_STORE_H_
