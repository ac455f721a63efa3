#include "project/column_classes.h"

#include <array>

#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr std::array<std::string_view, 15> kNumberColumns = {
    "NNF",           "FF",       "VF",          "NRI",          "LASTUSER",
    "STRUKTURID",    "DINKZ",    "BUDGETNETTO", "BUDGETBRUTTO", "SCHAETZNETTO",
    "SCHAETZBRUTTO", "OBJNETTO", "OBJBRUTTO",   "ARCHIVIERT",   "PROMWST"};

constexpr std::array<std::string_view, 4> kDateColumns = {
    "AKTUALISIERUNG", "BAUBEGINN", "BAUENDE", "LETZTESICHERUNG"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names,
              std::string_view name) {
  for (std::string_view n : names) {
    if (n == name) return true;
  }
  return false;
}

}  // namespace

bool SaveSkips(std::string_view upper_name) {
  return upper_name == "ID" || upper_name == "SATZLOCKKZ";
}

int16_t SaveClass(std::string_view upper_name, const dao::Field* field) {
  if (Contains(kNumberColumns, upper_name)) return kClassNumber;
  if (Contains(kDateColumns, upper_name)) return kClassDate;
  if (upper_name == "BEMERKUNG") return kClassLongBinary;
  if (field == nullptr) return 0;
  try {
    return field->Type();
  } catch (const Error&) {
    return 0;
  }
}

Variant NullReplacement(int16_t save_class) {
  switch (save_class) {
    case 8:
    case 22:
    case 23:
      return Variant::Null();
    case 10:
    case 11:
    case 12:
    case 15:
    case 17:
    case 18:
      return Variant(std::string());
    default:
      return Variant(int16_t{0});
  }
}

std::optional<Variant> SavedValue(int16_t save_class,
                                  const ProjektFeld& entry) {
  if (entry.bIstNull) return NullReplacement(save_class);
  switch (save_class) {
    case kClassLongBinary:
      return Variant(CByteArray(entry.vWert));
    case kClassDate:
      if (!IsDate(entry.vWert)) return std::nullopt;
      return Variant(FormatDateTime(CDate(entry.vWert)));
    default:
      return entry.vWert;
  }
}

}  // namespace vx
