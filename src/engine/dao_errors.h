// The engine's error numbers and descriptions.
//
// Every failure of the engine raises vx::Error with one of these numbers and
// the text the callers of a DAO-style engine know for it.  Descriptions with
// a "|" take the arguments of RaiseDao in order.  SQLite's result codes are
// translated into these numbers by RaiseSqliteError.

#ifndef VX_ENGINE_DAO_ERRORS_H_
#define VX_ENGINE_DAO_ERRORS_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct sqlite3;

namespace vx::dao {

enum DaoError : int32_t {
  kErrReserved = 3000,             // "Reserved error (|); ..."
  kErrInvalidArgument = 3001,
  kErrTableExists = 3010,           // table name
  kErrUpdateWithoutEdit = 3020,
  kErrNoCurrentRecord = 3021,
  kErrDuplicateValue = 3022,
  kErrFileNotFound = 3024,          // file name
  kErrDiskFull = 3026,
  kErrReadOnly = 3027,
  kErrInvalidPassword = 3031,
  kErrDiskOrNetwork = 3043,
  kErrInvalidPath = 3044,           // path
  kErrFileInUse = 3045,             // file name
  kErrNotADatabase = 3049,          // file name
  kErrCannotOpenFile = 3051,        // file name
  kErrTooFewParameters = 3061,      // expected count
  kErrCannotExecuteSelect = 3065,
  kErrSyntax = 3075,                // statement
  kErrTableNotFound = 3078,         // table name
  kErrUndefinedFunction = 3085,     // function name
  kErrUnknownInsertField = 3127,    // field name
  kErrInvalidStatement = 3129,
  kErrTextAfterEnd = 3142,
  kErrBadBookmark = 3159,
  kErrFieldTooSmall = 3163,
  kErrFieldNotUpdatable = 3164,
  kErrConnectionFailed = 3151,      // connection text or server
  kErrWriteConflict = 3197,
  kErrRelatedRecordRequired = 3201,
  kErrDatabaseExists = 3204,
  kErrLocked = 3218,
  kErrInvalidOperation = 3219,
  kErrItemNotFound = 3265,
  kErrTableDefinition = 3290,       // a CREATE or ALTER TABLE it cannot read
  kErrRequiredField = 3314,         // field name
  kErrValidationRule = 3317,        // rule, field
  kErrNumericOverflow = 3349,
  kErrOpenedExclusively = 3356,     // user, machine
  kErrTooComplex = 3360,
  kErrObjectInvalid = 3420,
  kErrConversion = 3421,
};

// The description of `number` with its "|" replaced by `args` in order.
std::string DaoDescription(int32_t number,
                           std::initializer_list<std::string_view> args = {});

// Raises `number` with DaoDescription(number, args).
[[noreturn]] void RaiseDao(int32_t number,
                           std::initializer_list<std::string_view> args = {});

// Raises the engine error for SQLite result code `rc` of a call on `db`:
// busy or locked 3218, read-only 3027, constraint failures 3022 / 3314 /
// 3201 / 3317, unknown table 3078, unknown column 3061, an existing table
// 3010, syntax errors 3075
// (naming `sql`), a damaged file 3049 (naming `file`), disk full 3026, I/O
// failures 3043; anything else 3000 with SQLite's own message appended.
[[noreturn]] void RaiseSqliteError(sqlite3* db, int rc, std::string_view sql,
                                   std::string_view file);

}  // namespace vx::dao

#endif  // VX_ENGINE_DAO_ERRORS_H_
