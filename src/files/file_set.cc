#include "files/file_set.h"

#include <array>

#include "data/connections.h"
#include "data/sql_text.h"
#include "files/path_utils.h"
#include "platform/text.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// The measurement tables shared by several kinds appear in many lists.
#define VX_MEASUREMENT_TABLES "TabMasFormel;TabMasHead;TabMasInfo;TabMassen;"
constexpr std::string_view kBkbTables =
    "NachAKS;NachAKS_Flaechen;NachAKS_Original;NachDIN06;NachDIN06_Flaechen;"
    "NachDIN06_Original;NachDin81;NachDin81_Flaechen;NachDin81_Original;"
    "NachDin93;NachDin93_Flaechen;NachDin93_Original;NachLB;NachLB_Flaechen;"
    "NachLB_Original;" VX_MEASUREMENT_TABLES;

constexpr std::array kKinds = {
    FileKind{".VX3LV", "LV", "",
             "Abschlag;AbschlagZus;AufmassBlatt;Bieter;LV;LV_Preisteile;Notiz;"
             "Preis;PreisRP;Rahmenvertrag;" VX_MEASUREMENT_TABLES "ZeitDoku;",
             "", "LV;RP;RPA;", true},
    FileKind{".VX3LB", "LB", "",
             "Texte;PreisNamen;Preise;LBInfo;LB_Preisteile;einfuegefelder;", "",
             "", false},
    FileKind{".VX3OB", "AU", "ZA",
             "tblAbz;tblAufAdr;tblAuftrag;tblBank;tblBelast;tblBTAKS;"
             "tblBTDin06;tblBTDin81;tblBTDin93;tblBTDIN18;tblBTLB;tblBTZahlAKS;"
             "tblBTZahlDIN06;tblBTZahlDIN18;tblBTZahlDIN81;tblBTZahlDIN93;"
             "tblBTZahlLB;tblEinbehalte;tblKTAuf;tblLeistMeld;tblLimit;"
             "tblNachtrag;tblQuickHeader;tblRechWeg;tblZahlAktiv;tblZahlung;"
             "tblZahlungKT;tblZusatzkosten;",
             "", "", true},
    FileKind{".VX3RB", "RB", "",
             "AufmassBlatt;Rb;RbFl;RbLbs;RbPos;TabMasFormel;TabMasHead;"
             "TabMasInfo;ZeitDoku;TabMassen;",
             "", "RB_F;RB_P;", true},
    FileKind{".VX3EK", "EK", "", "Elprj_Header;Kalk_Ele;" VX_MEASUREMENT_TABLES,
             "", "EKM;EKF;", true},
    FileKind{".VX3KS", "KS", "",
             "Aufmassblatt;BKBNetDetail;BKBNetKenngroessen;" VX_MEASUREMENT_TABLES,
             "", "KSDETAIL;KSPARAM;KSELEFAKTOR;", true},
    FileKind{".VX3KO", "KO", "", kBkbTables, "", "", true},
    FileKind{".VX3AB", "", "", kBkbTables, "", "", true},
    FileKind{".VX3BR", "BR", "", "", "TEXTE", "", true},
    FileKind{".DOC", "BR", "", "", "TEXTE", "", true},
    FileKind{".DOCX", "BR", "", "", "TEXTE", "", true},
    FileKind{".PDF", "BR", "", "", "TEXTE", "", true},
    FileKind{".VX3AT", "", "", "", "ATX", "", false},
    FileKind{".VX3ET", "", "", "", "ETX", "", false},
    // The companions of an LV file, copied and deleted with it.
    FileKind{".VX3L1", "", "", "", "", "", true},
    FileKind{".VX3LX", "", "", "", "", "", true},
    FileKind{".VX3LR", "", "", "", "", "", true},
    // Shared databases; their tables depend on the name (see below).
    FileKind{".VX3DB", "", "", "", "", "", false},
};
#undef VX_MEASUREMENT_TABLES

// The shared databases whose tables lie on the server.
struct SharedDatabaseTables {
  std::string_view base_name;
  std::string_view tables;
};
constexpr std::array kSharedDatabaseTables = {
    SharedDatabaseTables{"LBINHALT", "Untertitel;LBTabelle;CAD_Verweis;"},
    SharedDatabaseTables{"ELKAT",
                         "Ele_Hierarchie;Ele_Inhalte;Elkat_Elemente;"
                         "Elkat_Header;LB_Bezeichnungen;"},
};

// The extension of `path`'s file name, upper-cased, with its dot; "" when
// the name has none.
std::string UpperExtension(const std::string& path) {
  std::string extension = SplitFileName(path).extension;
  return extension.empty() ? std::string() : "." + UCase(extension);
}

// "KennVon = 'LV' or KennVon = 'RP' ..." for the values of `kind`, each
// column qualified by `table` ("TabMassen." or "").
std::string KennVonGroup(std::string_view values, const std::string& table) {
  std::string group;
  for (const std::string& value : SplitList(values)) {
    if (!group.empty()) group += " or ";
    group += table + "KennVon = " + SqlText(value);
  }
  return group;
}

bool ContainsWord(const std::string& upper_text, std::string_view word) {
  return InStr(upper_text, word) > 0;
}

// Whether `text` begins with the word "AND": the letters followed by a
// blank or a parenthesis, so that a column like "ANDERS" is kept whole.
bool BeginsWithAnd(const std::string& text) {
  if (UCase(Left(text, 3)) != "AND") return false;
  const std::string next = Mid(text, 4, 1);
  return next == " " || next == "(";
}

}  // namespace

std::span<const FileKind> FileKinds() { return kKinds; }

const FileKind* FindFileKind(std::string_view extension) {
  for (const FileKind& kind : kKinds) {
    if (kind.extension == extension) return &kind;
  }
  return nullptr;
}

bool IsSharedDatabaseName(std::string_view file_name) {
  for (std::string_view name : kSharedDatabaseNames) {
    if (EqualsNoCase(name, file_name)) return true;
  }
  return false;
}

bool IsStructureTemplateName(std::string_view file_name) {
  const std::string name = GetFileName(std::string(file_name), true);
  return Len(name) >= 5 && UCase(Right(name, 5)) == "STRUK";
}

std::string GetDateiTyp(const std::string& path) {
  const std::string extension = UpperExtension(path);
  if (extension == ".VX3LV") return "LV";
  if (extension == ".VX3LB") return "LB";
  return "";
}

bool IsLvCompanion(const std::string& path) {
  const std::string extension = UCase(Right(path, 6));
  return extension == ".VX3L1" || extension == ".VX3LX" || extension == ".VX3LR";
}

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end; (end = list.find(';', start)) != std::string_view::npos; start = end + 1) {
    if (end > start) names.emplace_back(list.substr(start, end - start));
  }
  if (start < list.size()) names.emplace_back(list.substr(start));
  return names;
}

std::string GetProNrFromFile(const std::string& code, const std::string& name) {
  if (code == "PR") return name;
  std::string lv_part;
  if (code == "LV") return GetProNrFromLVName(name, lv_part);
  if (code == "BR") {
    return Left(name, 1) == "_" ? "" : GetProNrFromLVName(name, lv_part);
  }
  if (code.empty()) return "";
  for (const FileKind& kind : kKinds) {
    if ((kind.code == code || kind.second_code == code) &&
        kind.named_by_project) {
      // Compared as written: the suite spells its extensions in capitals.
      const size_t position = InStr(name, kind.extension);
      return position > 1 ? Left(name, position - 1) : "";
    }
  }
  return "";
}

std::string GetProNrFromLVName(const std::string& name, std::string& lv_part) {
  const size_t position = InStr(name, "__");
  if (InStr(name, "\\") == 0 && position >= 2 &&
      InStr(name, " ", position) > 0) {
    const std::string before = Left(name, position - 1);
    const size_t blank = InStrRev(before, " ");
    const std::string candidate = blank > 0 ? Left(before, blank - 1) : before;
    const std::string after = Mid(name, position + 2);
    const size_t part_end = InStr(after, " ");
    lv_part = part_end > 0 ? Left(after, part_end - 1) : after;
    if (!candidate.empty()) return candidate;
  }
  if (position == 0) return "";
  std::string project_number;
  SplitDoubleUnderscore(name, project_number, lv_part, false);
  return project_number;
}

std::string GetTables_4SQL(const std::string& path,
                           std::string& document_type) {
  const std::string extension = UpperExtension(path);
  const FileKind* kind = FindFileKind(extension);
  if (kind == nullptr) {
    if (IsDesign()) {
      CurrentHost().MsgBox(
          "Noch nicht implementiert - GetTables_4SQL\n" + path, kSystemModal,
          "Design");
    }
    return "";
  }
  if (extension == ".VX3DB") {
    const std::string base = UCase(SplitFileName(path).name);
    for (const SharedDatabaseTables& shared : kSharedDatabaseTables) {
      if (shared.base_name == base) return std::string(shared.tables);
    }
    return "";
  }
  if (!kind->document_type.empty()) {
    document_type = kind->document_type;
  }
  return std::string(kind->tables);
}

std::string AddKennFilter_4SQL(const std::string& path,
                               const std::string& statement) {
  const std::string upper = UCase(statement);
  const bool massen = ContainsWord(upper, "TABMASSEN");
  const bool head = ContainsWord(upper, "TABMASHEAD");
  if (massen || head) {
    const FileKind* kind = FindFileKind(UCase(Right(path, 6)));
    const std::string_view values = kind ? kind->kenn_von : "";
    std::string condition;
    if (!values.empty() && massen && head) {
      condition = " where (" + KennVonGroup(values, "TabMasHead.") +
                  ") AND (" + KennVonGroup(values, "TabMassen.") + ")";
    } else if (!values.empty()) {
      condition = " where (" + KennVonGroup(values, "") + ") ";
    }
    return SqlAddWhere(statement, condition);
  }
  if (ContainsWord(upper, "AUFMASSBLATT") || ContainsWord(upper, "TABMASINFO")) {
    std::string extension = UCase(Trim(SplitFileName(path).extension));
    if (Left(extension, 1) != ".") extension = "." + extension;
    return SqlAddWhere(statement,
                       "WHERE DBExtension = " + SqlText(extension) + " ");
  }
  return statement;
}

std::string SqlAddWhere(const std::string& statement,
                        const std::string& condition) {
  if (condition.empty()) return statement;
  if (statement.empty()) return condition;

  std::string head = statement;
  std::string order;
  if (size_t at = InStrRev(UCase(head), " ORDER BY "); at > 0) {
    order = " ORDER BY " + Mid(UCase(head), at + 10);
    head = Left(head, at - 1);
  }
  std::string group;
  if (size_t at = InStrRev(UCase(head), " GROUP BY "); at > 0) {
    group = " GROUP BY " + Mid(UCase(head), at + 10);
    head = Left(head, at - 1);
  }

  std::string added;
  const std::string trimmed = Trim(condition);
  if (UCase(Left(trimmed, 5)) == "WHERE") {
    added = Mid(trimmed, 6);
  } else if (InStr(UCase(condition), "(SELECT ") > 0) {
    added = condition;
  } else {
    const std::string upper = UCase(condition);
    const size_t where = InStrRev(upper, "WHERE ");
    added = where > 0 ? Mid(upper, where + 6) : upper;
  }
  if (BeginsWithAnd(LTrim(added))) added = Mid(LTrim(added), 4);

  const std::string connector =
      InStr(" " + UCase(head), " WHERE ") > 0 ? " AND " : " WHERE ";
  return head + connector + Trim(added) + " " + group + order;
}

}  // namespace vx
