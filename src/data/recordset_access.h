// Reading a few columns of one row in one call.
//
// Many questions the suite asks of a database take one form: run a SELECT
// and return a few columns of its first (or last) row, and how many rows
// there were.  ReadRecordFields answers such a question, retrying a failing
// step before it gives up with the error number.

#ifndef VX_DATA_RECORDSET_ACCESS_H_
#define VX_DATA_RECORDSET_ACCESS_H_

#include <cstdint>
#include <string>

#include "data/connections.h"
#include "vx_taluvek/variant.h"

namespace vx {

// Runs `sql` on `db`, or on `file_name` opened read-only for the call when
// `db` is nullptr, and reads the named columns of the first row (of the
// last with `last_record`) through FieldValue into the values.  An empty
// name leaves its value alone; a second to sixth column that the row does
// not have is passed over.  The values are reset first (the first two
// always, the others where named).
//
// Returns the record count: the engine's count of a freshly opened
// recordset, exact with `last_record` or `exact_count`; 0 when there is no
// row or the call failed.  A failing step is executed again up to three
// failures in all; then `error_number` gets the error's number (it is 0
// otherwise).  Never raises.
int32_t ReadRecordFields(DbHandle& db, const std::string& file_name,
                         const std::string& sql, const std::string& name1,
                         Variant& value1, bool last_record,
                         int32_t& error_number, const std::string& name2,
                         Variant& value2, const std::string& name3,
                         Variant& value3, const std::string& name4,
                         Variant& value4, const std::string& name5,
                         Variant& value5, bool exact_count, int32_t& type1,
                         int32_t& type2, const std::string& name6,
                         Variant& value6);

// Resets an output variable: "" when it holds a text, else the 16-bit 0.
void ClearVariantValue(Variant& value);

}  // namespace vx

#endif  // VX_DATA_RECORDSET_ACCESS_H_
