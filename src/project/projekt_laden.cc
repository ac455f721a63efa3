// Loading a project into the object, and reading its field cache.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "data/field_values.h"
#include "project/projekt_impl.h"

namespace vx {

namespace {

constexpr int32_t kTextType = 10;

// The columns the object also keeps as properties of its own, in the order
// of Impl::property_columns.
enum PropertyColumn {
  kProNr,
  kId,
  kProBez,
  kProWaehrung,
  kFlurNr,
  kFlurStueckNr,
  kGemeinde,
  kGemarkung,
  kProStrasse,
  kProLand,
  kProPlz,
  kProOrt,
  kPropertyColumns
};
constexpr std::array<const char*, kPropertyColumns> kPropertyColumnNames = {
    "PRONR", "ID", "PROBEZ", "PROWAEHRUNG", "FLURNR", "FLURSTUECKNR",
    "GEMEINDE", "GEMARKUNG", "PROSTRASSE", "PROLAND", "PROPLZ", "PROORT"};

}  // namespace

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
  aProjektFelder.Name(fields);
  PropertyColumns& at = property_columns;
  static_assert(kPropertyColumns == std::tuple_size_v<decltype(at.at)>);
  if (at.names_version != aProjektFelder.names_version()) {
    for (size_t k = 0; k < at.at.size(); ++k) {
      at.at[k] = aProjektFelder.Position(kPropertyColumnNames[k]);
    }
    at.names_version = aProjektFelder.names_version();
  }
  ResumeNext([&] { aProjektFelder.Load(*rs); });

  // The named columns, taken from the cache just filled: a null or empty
  // column gives "", so that a property never keeps an earlier project's
  // value.
  auto assign_text = [&](PropertyColumn column, std::string& property) {
    const std::optional<size_t> i = at.at[column];
    if (!i || *i >= aProjektFelder.size()) {
      property.clear();
    } else {
      aProjektFelder.AssignText(*i, property);
    }
  };
  ResumeNext([&] { assign_text(kProNr, sProjektNr); });
  ResumeNext([&] {
    const std::optional<size_t> i = at.at[kId];
    if (!i || *i >= aProjektFelder.size()) return;
    const ProjektFeld& entry = aProjektFelder[*i];
    if (!entry.bIstNull) lProjektId = CLng(entry.vWert);
  });
  ResumeNext([&] { assign_text(kProBez, sProjektBez); });
  ResumeNext([&] { assign_text(kProWaehrung, sProjWaehrung); });
  ResumeNext([&] { assign_text(kFlurNr, FlurNr); });
  ResumeNext([&] { assign_text(kFlurStueckNr, FlurStueckNr); });
  ResumeNext([&] { assign_text(kGemeinde, Gemeinde); });
  ResumeNext([&] { assign_text(kGemarkung, Gemarkung); });
  ResumeNext([&] { assign_text(kProStrasse, Strasse); });
  ResumeNext([&] { assign_text(kProLand, Land); });
  ResumeNext([&] { assign_text(kProPlz, PLZ); });
  ResumeNext([&] { assign_text(kProOrt, Ort); });
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
