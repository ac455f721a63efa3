#include "engine/dao_errors.h"

#include <errno.h>
#include <sqlite3.h>

#include <string>

#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

const char* Template(int32_t number) {
  switch (number) {
    case kErrReserved:
      return "Reserved error (|); there is no message for this error.";
    case kErrInvalidArgument: return "Invalid argument.";
    case kErrTableExists: return "Table '|' already exists.";
    case kErrUpdateWithoutEdit:
      return "Update or CancelUpdate without AddNew or Edit.";
    case kErrNoCurrentRecord: return "No current record.";
    case kErrDuplicateValue:
      return "The changes you requested to the table were not successful "
             "because they would create duplicate values in the index, "
             "primary key, or relationship. Change the data in the field or "
             "fields that contain duplicate data, remove the index, or "
             "redefine the index to permit duplicate entries and try again.";
    case kErrFileNotFound: return "Could not find file '|'.";
    case kErrDiskFull: return "Not enough space on disk.";
    case kErrReadOnly: return "Cannot update. Database or object is read-only.";
    case kErrInvalidPassword: return "Not a valid password.";
    case kErrDiskOrNetwork: return "Disk or network error.";
    case kErrInvalidPath:
      return "'|' is not a valid path. Make sure that the path name is "
             "spelled correctly and that you are connected to the server on "
             "which the file resides.";
    case kErrFileInUse: return "Could not use '|'; file already in use.";
    case kErrNotADatabase:
      return "Cannot open database '|'. It may not be a database that your "
             "application recognizes, or the file may be corrupt.";
    case kErrCannotOpenFile:
      return "The database engine cannot open the file '|'. It is already "
             "opened exclusively by another user, or you need permission to "
             "view its data.";
    case kErrTooFewParameters: return "Too few parameters. Expected |.";
    case kErrConnectionFailed: return "ODBC--connection to '|' failed.";
    case kErrCannotExecuteSelect: return "Cannot execute a select query.";
    case kErrSyntax:
      return "Syntax error (missing operator) in query expression '|'.";
    case kErrTableNotFound:
      return "The database engine cannot find the input table or query '|'. "
             "Make sure it exists and that its name is spelled correctly.";
    case kErrUndefinedFunction: return "Undefined function '|' in expression.";
    case kErrUnknownInsertField:
      return "The INSERT INTO statement contains the following unknown field "
             "name: '|'. Make sure you have typed the name correctly, and "
             "try the operation again.";
    case kErrInvalidStatement:
      return "Invalid SQL statement; expected 'DELETE', 'INSERT', "
             "'PROCEDURE', 'SELECT', or 'UPDATE'.";
    case kErrTextAfterEnd: return "Characters found after end of SQL statement.";
    case kErrBadBookmark: return "Not a valid bookmark.";
    case kErrFieldTooSmall:
      return "The field is too small to accept the amount of data you "
             "attempted to add. Try inserting or pasting less data.";
    case kErrFieldNotUpdatable: return "Field cannot be updated.";
    case kErrWriteConflict:
      return "The database engine stopped the process because you and "
             "another user are attempting to change the same data at the "
             "same time.";
    case kErrRelatedRecordRequired:
      return "You cannot add or change a record because a related record is "
             "required in table '|'.";
    case kErrDatabaseExists: return "Database already exists.";
    case kErrLocked: return "Could not update; currently locked.";
    case kErrInvalidOperation: return "Invalid operation.";
    case kErrItemNotFound: return "Item not found in this collection.";
    case kErrTableDefinition: return "Syntax error in CREATE TABLE statement.";
    case kErrRequiredField:
      return "The field '|' cannot contain a Null value because the Required "
             "property for this field is set to True. Enter a value in this "
             "field.";
    case kErrValidationRule:
      return "One or more values are prohibited by the validation rule '|' "
             "set for '|'. Enter a value that the expression for this field "
             "can accept.";
    case kErrNumericOverflow: return "Numeric field overflow.";
    case kErrOpenedExclusively:
      return "You attempted to open a database that is already opened "
             "exclusively by user '|' on machine '|'. Try again when the "
             "database is available.";
    case kErrTooComplex: return "Query is too complex.";
    case kErrObjectInvalid: return "Object invalid or no longer set.";
    case kErrConversion: return "Data type conversion error.";
    default: return nullptr;
  }
}

// The text after `prefix` in SQLite's message `message`, or "" when the
// message does not start with it.
std::string_view After(std::string_view message, std::string_view prefix) {
  if (message.substr(0, prefix.size()) != prefix) return {};
  return message.substr(prefix.size());
}

// "T.c" of a constraint message names a column of a table: the column.
std::string_view ColumnOf(std::string_view qualified) {
  size_t dot = qualified.rfind('.');
  return dot == std::string_view::npos ? qualified : qualified.substr(dot + 1);
}

[[noreturn]] void RaiseConstraint(int extended, std::string_view message) {
  switch (extended) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
      RaiseDao(kErrDuplicateValue);
    case SQLITE_CONSTRAINT_NOTNULL:
      RaiseDao(kErrRequiredField,
               {ColumnOf(After(message, "NOT NULL constraint failed: "))});
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      RaiseDao(kErrRelatedRecordRequired, {""});
    case SQLITE_CONSTRAINT_CHECK: {
      std::string_view rule = After(message, "CHECK constraint failed: ");
      RaiseDao(kErrValidationRule, {rule, rule});
    }
    default:
      RaiseDao(kErrValidationRule, {message, ""});
  }
}

}  // namespace

std::string DaoDescription(int32_t number,
                           std::initializer_list<std::string_view> args) {
  const char* pattern = Template(number);
  if (pattern == nullptr) return StandardDescription(number);
  std::string text;
  const std::string_view* arg = args.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '|') {
      if (arg != args.end()) text += *arg++;
    } else {
      text += *p;
    }
  }
  return text;
}

void RaiseDao(int32_t number, std::initializer_list<std::string_view> args) {
  Raise(number, DaoDescription(number, args));
}

namespace {

// Whether a write failed because it would have passed the process's file
// size limit (ulimit -f): no room, as far as the process is concerned.
// SQLite reports a full disk itself but this as a plain write error; the
// database file keeps the errno of its last failure, which the rollback after
// the failure does not overwrite.
bool PassedFileSizeLimit(sqlite3* db) {
  if (db == nullptr) return false;
  int last_errno = 0;
  return sqlite3_system_errno(db) == EFBIG ||
         (sqlite3_file_control(db, "main", SQLITE_FCNTL_LAST_ERRNO,
                               &last_errno) == SQLITE_OK &&
          last_errno == EFBIG);
}

}  // namespace

void RaiseSqliteError(sqlite3* db, int rc, std::string_view sql,
                      std::string_view file) {
  const int extended = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  const std::string message = db != nullptr ? sqlite3_errmsg(db) : "";
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      RaiseDao(kErrLocked);
    case SQLITE_READONLY:
      RaiseDao(kErrReadOnly);
    case SQLITE_CONSTRAINT:
      RaiseConstraint(extended, message);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      RaiseDao(kErrNotADatabase, {file});
    case SQLITE_FULL:
      RaiseDao(kErrDiskFull);
    case SQLITE_IOERR:
      if (PassedFileSizeLimit(db)) RaiseDao(kErrDiskFull);
      [[fallthrough]];
    case SQLITE_CANTOPEN:
      RaiseDao(kErrDiskOrNetwork);
    case SQLITE_NOMEM:
      Raise(7);
    case SQLITE_ERROR: {
      std::string_view name;
      if (!(name = After(message, "no such table: ")).empty()) {
        // SQLite names an attached schema's table "main.T".
        if (name.substr(0, 5) == "main.") name.remove_prefix(5);
        RaiseDao(kErrTableNotFound, {name});
      }
      if (!After(message, "no such column: ").empty()) {
        RaiseDao(kErrTooFewParameters, {"1"});
      }
      if (size_t at = message.find(" has no column named ");
          at != std::string::npos) {
        RaiseDao(kErrUnknownInsertField,
                 {std::string_view(message).substr(at + 21)});
      }
      if (!(name = After(message, "no such function: ")).empty()) {
        RaiseDao(kErrUndefinedFunction, {name});
      }
      if (!(name = After(message, "table ")).empty() &&
          name.ends_with(" already exists")) {
        RaiseDao(kErrTableExists, {name.substr(0, name.size() - 15)});
      }
      if (message.ends_with("syntax error") ||
          message.starts_with("incomplete input") ||
          message.starts_with("unrecognized token")) {
        RaiseDao(kErrSyntax, {sql});
      }
      break;
    }
    default:
      break;
  }
  Raise(kErrReserved, DaoDescription(kErrReserved, {std::to_string(extended)}) +
                          " (" + message + ")");
}

}  // namespace vx::dao
