// Loading a project into the object, and reading its field cache.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_values.h"
#include "project/projekt_impl.h"

namespace vx {

namespace {

constexpr int32_t kTextType = 10;

}  // namespace

// The remarks travel as the bytes of their 16-bit code units, as the
// suite's programs expect them.
ColumnValue CachedForm(const std::string& upper_name, dao::Field& field) {
  ColumnValue cached{field.Value(), false};
  if (cached.value.IsNull()) {
    cached.is_null = true;
  } else if (upper_name == "BEMERKUNG") {
    if (field.FieldSize() >= 1) {
      int32_t type = 0;
      cached.value = CByteArray(FieldValue(&field, type));
    } else {
      cached.value = ByteArray();
    }
  }
  return cached;
}

std::string ColumnText(dao::Field* field) {
  if (field == nullptr) return std::string();
  int32_t type = kTextType;
  return CStr(FieldValue(field, type));
}

void cls_Projekt::Impl::ProjektLaden() {
  aProjektFelder.Reset(1);
  const std::vector<std::string> conditions =
      ProjektConditions(lProjektId, sProjektNr);

  if (!OpenProjektDb(sProjektDatei, Pause::k200ms)) {
    RecordPending();
    sProjektNr.clear();
    Err().Clear();
    return;
  }
  RsHandle rs;
  for (const std::string& condition : conditions) {
    Finish(rs);
    if (!Attempt(Pause::kNone, [&] {
          rs = oProjektDb->OpenRecordset(
              "SELECT * FROM Projekt WHERE " + condition,
              Variant(dao::kOpenSnapshot));
        })) {
      RecordPending();
      Finish(rs);
      return;
    }
    if (rs->RecordCount() >= 1) break;
  }

  dao::Fields& fields = rs->Fields();
  const int32_t count = fields.Count();
  aProjektFelder.Reset(static_cast<size_t>(count));
  if (rs->RecordCount() < 1) {
    nProjektfieldscount = 0;
    Record(kErrNoCurrentRecord, kNoCurrentRecordText);
    Finish(rs);
    return;
  }

  nProjektfieldscount = static_cast<int16_t>(count);
  std::vector<std::string_view> names;
  names.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) names.push_back(fields[i].Name());
  aProjektFelder.Name(names);
  for (int32_t i = 0; i < count; ++i) {
    // A column that cannot be read stays empty; the load goes on.
    ResumeNext([&] {
      ProjektFeld& entry = aProjektFelder[static_cast<size_t>(i)];
      ColumnValue cached = CachedForm(entry.sName, fields[i]);
      entry.vWert = std::move(cached.value);
      entry.bIstNull = cached.is_null;
    });
  }

  // The named columns, taken from the cache just filled: a null or empty
  // column gives "", so that a property never keeps an earlier project's
  // value.
  auto text = [&](const std::string& upper_name) -> std::string {
    const std::optional<size_t> i = aProjektFelder.Position(upper_name);
    if (!i || *i >= aProjektFelder.size()) return std::string();
    const ProjektFeld& entry = aProjektFelder[*i];
    return entry.bIstNull ? std::string() : CStr(entry.vWert);
  };
  ResumeNext([&] { sProjektNr = text("PRONR"); });
  ResumeNext([&] {
    const std::optional<size_t> i = aProjektFelder.Position("ID");
    if (i && *i < aProjektFelder.size() && !aProjektFelder[*i].bIstNull) {
      lProjektId = CLng(aProjektFelder[*i].vWert);
    }
  });
  ResumeNext([&] { sProjektBez = text("PROBEZ"); });
  ResumeNext([&] { sProjWaehrung = text("PROWAEHRUNG"); });
  ResumeNext([&] { FlurNr = text("FLURNR"); });
  ResumeNext([&] { FlurStueckNr = text("FLURSTUECKNR"); });
  ResumeNext([&] { Gemeinde = text("GEMEINDE"); });
  ResumeNext([&] { Gemarkung = text("GEMARKUNG"); });
  ResumeNext([&] { Strasse = text("PROSTRASSE"); });
  ResumeNext([&] { Land = text("PROLAND"); });
  ResumeNext([&] { PLZ = text("PROPLZ"); });
  ResumeNext([&] { Ort = text("PROORT"); });
  aProjektFelder.set_row_id(lProjektId);
  // What went wrong with single columns is not the load's failure.
  Record(0, "");
  Finish(rs);
}

bool cls_Projekt::bProjektRead(int32_t& lProjID, std::string& sProjNum) {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    p.sProjektNr = sProjNum;
    p.lProjektId = lProjID;
    if (!p.sProjektNr.empty() || p.lProjektId != 0) p.ProjektLaden();
    if (p.sProjektNr.empty() || p.lProjektErrNum != 0 || p.lProjektId <= 0) {
      return false;
    }
    lProjID = p.lProjektId;
    sProjNum = p.sProjektNr;
    return true;
  });
}

Variant cls_Projekt::vProjektDatenRead(Variant& vIndexOrName) {
  return impl_->Guard(Variant(), [&] {
    Impl& p = *impl_;
    if (!p.aProjektFelder.Loaded()) {
      p.Record(kErrObjectNotSet, StandardDescription(kErrObjectNotSet));
      return Variant();
    }
    const FieldCache::Target target = p.aProjektFelder.Find(vIndexOrName);
    switch (target.outcome) {
      case FieldCache::Outcome::kBeyondEnd:
        p.Record(kErrColumnNotFound, ColumnNotFoundText());
        return Variant();
      case FieldCache::Outcome::kNegative:
      case FieldCache::Outcome::kUnknownName:
        return Variant();
      case FieldCache::Outcome::kFound:
        break;
    }
    const ProjektFeld& entry = p.aProjektFelder[target.index];
    return entry.bIstNull ? Variant() : entry.vWert;
  });
}

}  // namespace vx
