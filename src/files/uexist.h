// The one existence test for the suite's files and folders.
//
// The suite's files lie on local disks, on network shares that answer
// slowly, and, when its data lie on a database server, partly in the
// server's stores.  Uexist sends a file that lives in a server store to that
// store, and probes the file system with short waits and retries, so that
// a share that is momentarily slow does not make a file look missing.
// While it waits it lets the hosting program process its messages, so the
// caller may be re-entered from its own message loop.

#ifndef VX_FILES_UEXIST_H_
#define VX_FILES_UEXIST_H_

#include <string>

#include "vx_taluvek/variant.h"

namespace vx {

// Whether `path` names an existing file, or, with `directory`, folder.
// Never raises; leaves no error pending.
//
// On a database server (IsServerMode) a file test without `local` asks the
// server: stored documents (".VX3BR", ".VX3AT", ".VX3ET" and the sketches
// in the folder of the key "LBSKIZZE") the file store, templates (".VX3L1",
// ".VX3LX", ".VX3LR") the template store, other files the project file set.
// The shared databases ADRESSEN, PROJEKT and USER.VX3DB are always there; a
// temporary copy (a path with "~") the server does not hold is looked for
// on disk; programs, libraries and settings files (".EXE", ".DLL", ".INI")
// are always looked for on disk.
//
// On disk, a path that ends in "\" or ":" is no file.  `quick` lets the test
// give up sooner: with the access-speed setting 1 (ReadZugriffSlow) a quick
// test of a file is one directory listing (a second one after a pass of
// message processing when the first finds nothing); 2 probes the file
// anyway; 3 and above turn `quick` off, also in the caller's variable.  A
// path with "*" is a pattern, present when some ordinary file matches it.
// Otherwise UexistCore decides.
bool Uexist(const std::string& path, bool directory, bool local, bool& quick,
            const Variant& unused = Variant::Missing());

// The file-system probe of Uexist.  Never raises; leaves no error pending.
//
// A file whose length reads as above 0 is there.  Otherwise (and for
// folders and patterns) its attributes decide, read up to 3 times with
// 1 ms between: without `directory` a file is there when it is not a
// folder; with `directory` a folder is there, and so is a file whose last
// six characters hold a "." (a caller that passed the flag for a file; in
// developer mode a message asks for the call to be corrected).  The lone
// drive letters "c" and "c:" name the drive's root.  `quick` gives up after
// the first failed probe of the length.  Without `quick`, when the
// attributes cannot be read, a pattern ("*", "?") is there when
// DirToCollection finds a file for it.
bool UexistCore(const Variant& path, bool directory, bool quick);

}  // namespace vx

#endif  // VX_FILES_UEXIST_H_
