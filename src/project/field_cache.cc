#include "project/field_cache.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

bool Same(bool a_null, const Variant& a, bool b_null, const Variant& b) {
  if (a_null || b_null) return a_null == b_null;
  return a == b;
}

// Whether `entry` holds exactly `value`.
bool Holds(const ProjektFeld& entry, const ColumnValue& value) {
  return Same(entry.bIstNull, entry.vWert, value.is_null, value.value);
}

}  // namespace

bool SameValue(const ColumnValue& a, const ColumnValue& b) {
  return Same(a.is_null, a.value, b.is_null, b.value);
}

void FieldCache::Reset(size_t entries) {
  // Every load resets the cache to one entry and then to the row's columns:
  // entries beyond the size are kept for that, and emptied when they count
  // again.
  size_ = entries < 1 ? 1 : entries;
  if (entries_.size() < size_) {
    entries_.resize(size_);
    in_row_.resize(size_, 0);
  }
  for (size_t i = 0; i < size_; ++i) {
    if (in_row_[i]) {  // never made from the row: still empty
      in_row_[i] = 0;
      continue;
    }
    // Emptied in place: cheaper than assigning a new entry.
    ProjektFeld& entry = entries_[i];
    entry.vWert = Variant();
    entry.bIstNull = false;
    entry.basis.reset();
    entry.written = false;
  }
  row_.Clear();
  row_id_ = 0;
  named_ = false;
}

void FieldCache::Load(const dao::Recordset& rs) {
  rs.CopyCurrentRow(row_);
  const size_t count = std::min(size_, row_.size());
  std::fill_n(in_row_.begin(), count, uint8_t{1});
}

ProjektFeld& FieldCache::Entry(size_t i) const {
  ProjektFeld& entry = entries_[i];
  if (!in_row_[i]) return entry;
  in_row_[i] = 0;
  try {
    entry.vWert = row_.Value(i);
    MakeCachedForm(NameOf(i) == kRemarkColumn, entry.vWert, entry.bIstNull,
                   [&] { return row_.FieldSize(i); });
  } catch (const Error&) {
    entry.vWert = Variant();  // the entry stays empty
    entry.bIstNull = false;
  }
  return entry;
}

void FieldCache::AssignText(size_t i, std::string& text) const {
  if (in_row_[i] && NameOf(i) != kRemarkColumn) {
    if (std::optional<std::string_view> stored = row_.StoredText(i)) {
      text.assign(*stored);
      return;
    }
  }
  const ProjektFeld& entry = Entry(i);
  text = entry.bIstNull ? std::string() : CStr(entry.vWert);
}

ColumnValue CachedForm(std::string_view upper_name, dao::Field& field) {
  ColumnValue cached{field.Value(), false};
  MakeCachedForm(upper_name == kRemarkColumn, cached.value, cached.is_null,
                 [&] { return field.FieldSize(); });
  return cached;
}

void FieldCache::Write(size_t i, const Variant& data) {
  ProjektFeld& entry = Entry(i);
  if (!entry.basis) entry.basis = ColumnValue{entry.vWert, entry.bIstNull};
  entry.written = true;
  if (data.IsNull()) {
    entry.bIstNull = true;
  } else {
    entry.vWert = data;
    entry.bIstNull = false;
  }
}

bool FieldCache::Changed(size_t i) const {
  const ProjektFeld& entry = Entry(i);
  return entry.written && entry.basis && !Holds(entry, *entry.basis);
}

ColumnValue FieldCache::Basis(size_t i) const {
  const ProjektFeld& entry = Entry(i);
  if (entry.basis) return *entry.basis;
  return ColumnValue{entry.vWert, entry.bIstNull};
}

void FieldCache::Settle(size_t i, ColumnValue stored) {
  ProjektFeld& entry = Entry(i);
  entry.written = false;
  if (Holds(entry, stored)) {
    entry.basis.reset();
  } else {
    entry.basis = std::move(stored);
  }
}

void FieldCache::Name(dao::Fields& fields) {
  named_ = true;
  std::shared_ptr<const void> description = fields.Description();
  if (description != nullptr && description == description_) return;
  description_ = std::move(description);
  const size_t count = static_cast<size_t>(fields.Count());
  bool same = count == column_names_.size();
  for (size_t i = 0; same && i < count; ++i) {
    same = fields[static_cast<int32_t>(i)].Name() == column_names_[i];
  }
  if (same) return;
  column_names_.clear();
  upper_names_.clear();
  by_name_.clear();
  for (size_t i = 0; i < count; ++i) {
    column_names_.push_back(fields[static_cast<int32_t>(i)].Name());
    upper_names_.push_back(UCase(column_names_.back()));
    by_name_.emplace(upper_names_.back(), i);  // keeps the first of a name
  }
  ++names_version_;
}

const std::string& FieldCache::NameOf(size_t i) const {
  static const std::string kNone;
  return named_ && i < upper_names_.size() ? upper_names_[i] : kNone;
}

std::optional<size_t> FieldCache::Position(
    const std::string& upper_name) const {
  auto it = by_name_.find(upper_name);
  if (it == by_name_.end()) return std::nullopt;
  return it->second;
}

FieldCache::Target FieldCache::Find(const Variant& index_or_name) const {
  const size_t last = size_ - 1;
  if (IsNumeric(index_or_name)) {
    int32_t position = 0;
    try {
      position = CInt(index_or_name);
    } catch (const Error&) {
      // Beyond the 16-bit range: far past the end, or far below 0.
      return {
          CDbl(index_or_name) > 0 ? Outcome::kBeyondEnd : Outcome::kNegative,
          0};
    }
    if (position < 0) return {Outcome::kNegative, 0};
    if (static_cast<size_t>(position) > last) return {Outcome::kBeyondEnd, 0};
    return {Outcome::kFound, static_cast<size_t>(position)};
  }
  std::string name;
  try {
    name = UCase(Trim(CStr(index_or_name)));
  } catch (const Error&) {
    return {Outcome::kUnknownName, 0};  // null, an object: no name at all
  }
  const std::optional<size_t> position = Position(name);
  // An index kept from an earlier row may name more columns than a cache
  // that has since been made smaller.
  if (!position || *position > last) return {Outcome::kUnknownName, 0};
  return {Outcome::kFound, *position};
}

}  // namespace vx
