// Copying a project file when the suite's data lie on a database server:
// there a file is the set of rows that carry its file number, and a copy is
// those rows written again under the target's number.

#ifndef VX_FILES_SERVER_COPY_H_
#define VX_FILES_SERVER_COPY_H_

#include <string>

namespace vx {

// What a copy on the server came to.
enum class ServerCopyResult {
  kNotHandled,     // no file of the server's (an unknown kind, a temporary
                   // target): for the file system to do
  kCopied,         // the target holds the source's rows or document now
  kTargetExisted,  // the target is known and may not be replaced
  kFailed,         // nothing changed; the error is pending (Err())
  kNoDocument,     // a document the store could not write out (none of the
                   // source's name and type, or no server): nothing changed
};

// A stored document (".VX3BR", ".PDF", ...; file_set.h) is copied in the
// file store: written out to a temporary file of the copy's own and stored
// again under the target's file name and the same type; the temporary file
// is gone afterwards.  An existing document of that name and type is
// replaced when `replace_existing` and kept (kTargetExisted) when not.  A
// failed store leaves the target's previous document, with 53 pending.
//
// Other files: copies the rows of the file `source` to the file `target`
// on the installation's server, table by table of the source's kind (its table
// list, or for LV and LB files the tables SavTables names for the kind),
// the measurement tables narrowed to the kind's rows.  Every column a table
// has is copied, whatever columns the suite's programs added, with the file
// number replaced by the target's; a new target is registered in the table
// of files.  A target that is known already has its rows of those tables
// replaced when `replace_existing`, and is left alone (kTargetExisted)
// when not.  One transaction: a failure leaves the target as it was (in a
// developer build its description is shown, titled "UFileCopy_4SQL
// Design").
//
// A source the server does not know copies nothing (kCopied, as the copy
// of a file with no rows), and so does a copy of a file onto itself, which
// would otherwise delete the file's own rows.  A temporary target (a path
// with "\~KV") is not copied: when the source is a project file (".VX3")
// and no temporary one, `target` is cleared.  Never raises.
ServerCopyResult ServerFileCopy(const std::string& source, std::string& target,
                                bool replace_existing);

// ServerFileCopy that replaces an existing target; true when the server
// copied the file.  False when the file is none of the server's, when the
// store has no such document, and after a failure, whose error is then
// pending: a failure is never answered as a copy.
bool UFileCopy_4SQL(const std::string& source, std::string& target);

// The server's copy of a structure template to `target`: the tables are
// the same for every file there, so the copy is a new file without rows,
// registered in the table of files under the target's path as given (a
// later OpenDb of that path finds it).  True when the target is
// registered; false with the error pending.  Never raises.
bool ServerStructureCopy(const std::string& target);

// Whether `path` lies in the structures folder (the directory of the key
// "STRUKTUREN"), compared without regard to case unless `exact_case`.
bool InStructuresFolder(const std::string& path, bool exact_case);

// Removes a temporary database from the server: the rows of a file whose
// path ends in ".TMP" (any case) and its entry in the table of files.
// True when the server holds nothing of it afterwards (also when it never
// knew it).  Other paths are left alone and answered false; a failure is
// answered false with its error pending.  Never raises.
bool RemoveServerTemporaryDatabase(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_SERVER_COPY_H_
