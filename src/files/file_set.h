// The project's file set: which kinds of file hold a building project's
// data, how their names carry the project number, and which tables each
// kind holds when the data lie on a database server.
//
// A project's data are not one database but one file per kind of data, told
// apart by the extension (".VX3LV") and, inside the suite, by a two-letter
// code ("LV").  On a database server a "file" is the set of rows that carry
// its file number; the shared measurement tables tell the kinds apart by
// their columns KennVon and DBExtension, and whole documents are stored as
// records of VXFiles.  The one table of this vocabulary is FileKinds(); every
// other part of the library asks it.

#ifndef VX_FILES_FILE_SET_H_
#define VX_FILES_FILE_SET_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// One kind of project file.
struct FileKind {
  std::string_view extension;      // upper case, with the dot: ".VX3LV"
  std::string_view code;           // "LV"; "" when the suite gives none
  std::string_view second_code;    // "ZA" beside "AU" for ".VX3OB"; else ""
  std::string_view tables;         // server-mode table list ("A;B;"), or ""
  std::string_view document_type;  // VXFiles type ("TEXTE"), or ""
  // The KennVon values of its rows in TabMassen and TabMasHead, each
  // followed by ";"; "" for kinds whose rows carry no such mark.
  std::string_view kenn_von;
  // Whether the file is named by the project number ("4711.VX3EK"), or,
  // for LV files and letters, by project number, "__" and a part.
  bool named_by_project;
};

// Every kind the suite knows, in a fixed order.
std::span<const FileKind> FileKinds();

// The kind of the upper-cased extension with its dot (".VX3EK"), or
// nullptr for one the suite does not know.
const FileKind* FindFileKind(std::string_view extension);

// The shared databases of an installation and the structure templates they
// are made from (names ending in "STRUK" before the extension).
inline constexpr std::string_view kSharedDatabaseNames[] = {
    "DPOOL.VX3DB",       "PROJEKT.VX3DB",      "LBINHALT.VX3DB",
    "ADRESSEN.VX3DB",    "adrdatei.mdb",       "ELKAT.VX3DB",
    "ELKAT_STRUK.VX3EL", "REKOS.VX3DB",        "AVAPRESET.VX3DB",
    "DATSHOW.VX3DB",     "EXPORT.VX3DB",       "IMPORT.VX3DB",
    "FORMEL.VX3DB",      "ADRSTRUK.VX3DB",     "DRUCKSTRUK.VX3DB",
    "PRJSTRUK.VX3DB",    "CADCODE.VX3DB",      "GAEB_DB.VX3DB",
    "BKB_IDX.VX3DB",     "LBTEXTE.VX3DB",      "LBKosAva.VX3DB",
    "DNINHALT.VX3DB",    "USER.VX3DB",         "USERSTRUK.VX3DB",
    "CIVCO.CIV",         "LV.VX3LV",           "OBJEKT.VX3OB",
    "RECHNUNGEN.VX3DB",  "DATDRUCK.VX3DB"};
inline constexpr const char* kProjektDatabase = "PROJEKT.VX3DB";
inline constexpr const char* kProjektTemplate = "PRJSTRUK.VX3DB";

// Whether `file_name` (without folder) is one of kSharedDatabaseNames,
// compared without regard to case.
bool IsSharedDatabaseName(std::string_view file_name);
// Whether `file_name` names a structure template ("PRJSTRUK.VX3DB").
bool IsStructureTemplateName(std::string_view file_name);

// The code of a file path that the rights and copy rules single out: "LV"
// for ".VX3LV", "LB" for ".VX3LB" (extension compared without regard to
// case), otherwise "".
std::string GetDateiTyp(const std::string& path);

// Whether `path` names a companion of an LV file (".VX3L1", ".VX3LX",
// ".VX3LR", in any case); on a server it is a saved set (templates.h).
bool IsLvCompanion(const std::string& path);

// The names of a list that ends each name with ";" ("A;B;", as the table
// lists are written), in order; empty names are left out, and a last name
// without its ";" counts.
std::vector<std::string> SplitList(std::string_view list);

// The project number that the file name `name` of the kind `code` carries:
// "PR" the name itself; "LV" and letters ("BR", unless the name begins with
// "_", a letter of no project) the part before "__" (GetProNrFromLVName);
// "AU", "ZA", "EK", "RB", "KO", "KS" the text before the first occurrence
// of their extension, spelt in capitals.  "" for other codes and for names
// that lack their extension.
std::string GetProNrFromFile(const std::string& code, const std::string& name);

// The project number of an LV file name: "4711__01.VX3LV" gives "4711" and
// `lv_part` "01"; "4711___01.VX3LV" (the number ends in "_") gives "4711_".
// A text of words ("Projekt 4711__01 Rohbau") gives the word before the
// "__"'s word and the LV part up to the next blank.  A name without "__"
// gives "" and leaves `lv_part` as the blank rule set it, or unchanged.
std::string GetProNrFromLVName(const std::string& name, std::string& lv_part);

// The server-mode table list of the file `path`, each name followed by
// ";", by its extension.  A stored document (".VX3BR", ".DOC", ".DOCX",
// ".PDF", ".VX3AT", ".VX3ET") has no tables: "" comes back and
// `document_type` is set to its VXFiles type; otherwise `document_type` is
// left alone.  For ".VX3DB" the base name decides (LBINHALT, ELKAT).  An
// extension the suite does not know gives "" (and, in design mode, a
// message box).
std::string GetTables_4SQL(const std::string& path,
                           std::string& document_type);

// `statement` narrowed to the rows of the file `path`'s kind, where it
// names the shared measurement tables: TabMassen and TabMasHead by their
// KennVon values, AufmassBlatt and TabMasInfo by DBExtension.  Any other
// statement, and one on a kind whose rows carry no KennVon, comes back
// unchanged.
std::string AddKennFilter_4SQL(const std::string& path,
                               const std::string& statement);

// `statement` with `condition` added to its WHERE clause (" AND " when it
// has one, " WHERE " when not), ahead of a trailing GROUP BY and ORDER BY.
// A leading "WHERE" or "AND" of the condition is dropped.  A condition
// without a leading "WHERE" is taken in capitals from after its last
// "WHERE ", unless it holds a subquery "(SELECT ", which is taken as it
// is.  An empty condition gives the statement, an empty statement the
// condition.
std::string SqlAddWhere(const std::string& statement,
                        const std::string& condition);

}  // namespace vx

#endif  // VX_FILES_FILE_SET_H_
