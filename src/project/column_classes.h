// How a save writes each column of Projekt.
//
// The figures, dates and remarks of a project are known by name, so that
// they are written the same way whatever type a particular database gave
// them; every other column is written by its data type.  The class decides
// what a null in the cache becomes and how a value is converted.

#ifndef VX_PROJECT_COLUMN_CLASSES_H_
#define VX_PROJECT_COLUMN_CLASSES_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/recordset.h"
#include "project/field_cache.h"
#include "vx_taluvek/variant.h"

namespace vx {

// The classes of the named columns; any other column's class is its DAO
// type code.
inline constexpr int16_t kClassNumber = 7;
inline constexpr int16_t kClassDate = 8;
inline constexpr int16_t kClassLongBinary = 11;

// Whether a save leaves the column `upper_name` alone: ID is the engine's,
// and the lock flag SATZLOCKKZ belongs to locking, which a save must neither
// take nor release.
bool SaveSkips(std::string_view upper_name);

// The class of the column `upper_name` of a recordset: a number, date or
// long-binary class for the columns known by name, else the type code of
// `field` (0 when there is no such field or its type cannot be read).
int16_t SaveClass(std::string_view upper_name, const dao::Field* field);

// What a null in the cache is written as: null for the date and time
// classes (8, 22, 23), the empty text for the text and binary classes (10,
// 11, 12, 15, 17, 18), the number 0 for all others.
Variant NullReplacement(int16_t save_class);

// The value a save writes for `entry` in a column of `save_class`, or
// nothing when the column is to be left as it is (a date column whose
// cached value is no date).  A long-binary column gets the value as a byte
// array; raises the conversion's error when it is none.
std::optional<Variant> SavedValue(int16_t save_class, const ProjektFeld& entry);

}  // namespace vx

#endif  // VX_PROJECT_COLUMN_CLASSES_H_
