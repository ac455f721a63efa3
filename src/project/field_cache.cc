#include "project/field_cache.h"

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
  if (entries_.size() < size_) entries_.resize(size_);
  for (size_t i = 0; i < size_; ++i) {
    // Emptied in place: cheaper than assigning a new entry.
    ProjektFeld& entry = entries_[i];
    entry.sName.clear();
    entry.vWert = Variant();
    entry.bIstNull = false;
    entry.basis.reset();
    entry.written = false;
  }
  row_id_ = 0;
}

void FieldCache::Write(size_t i, const Variant& data) {
  ProjektFeld& entry = entries_[i];
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
  const ProjektFeld& entry = entries_[i];
  return entry.written && entry.basis && !Holds(entry, *entry.basis);
}

ColumnValue FieldCache::Basis(size_t i) const {
  const ProjektFeld& entry = entries_[i];
  if (entry.basis) return *entry.basis;
  return ColumnValue{entry.vWert, entry.bIstNull};
}

void FieldCache::Settle(size_t i, ColumnValue stored) {
  ProjektFeld& entry = entries_[i];
  entry.written = false;
  if (Holds(entry, stored)) {
    entry.basis.reset();
  } else {
    entry.basis = std::move(stored);
  }
}

void FieldCache::Name(const std::vector<std::string_view>& names) {
  bool same = names.size() == column_names_.size();
  for (size_t i = 0; same && i < names.size(); ++i) {
    same = names[i] == column_names_[i];
  }
  if (!same) {
    column_names_.assign(names.begin(), names.end());
    upper_names_.clear();
    by_name_.clear();
    for (size_t i = 0; i < names.size(); ++i) {
      upper_names_.push_back(UCase(names[i]));
      by_name_.emplace(upper_names_.back(), i);  // keeps the first of a name
    }
  }
  for (size_t i = 0; i < size_ && i < upper_names_.size(); ++i) {
    entries_[i].sName = upper_names_[i];
  }
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
