#include "files/project_file_exists.h"

#include "config/directories.h"
#include "data/connections.h"
#include "data/sql_text.h"
#include "engine/database.h"
#include "engine/recordset.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// The question that tells whether the project `number` has a file of the
// extension `extension` (upper-cased, with its "."), "" for kinds whose
// files are asked of the table of files.
std::string ProjectQuery(const std::string& extension, const std::string& number) {
  const std::string project = SqlText(number);
  if (extension == ".VX3OB") {
    return "SELECT LIDPROJ FROM TBPROJOBJ, Projekt WHERE ProNr=" + project +
           " AND LIDPROJ = Projekt.Id";
  }
  if (extension == ".VX3KO" || extension == ".VX3AB") {
    return "SELECT ProjektId FROM BKB, Projekt WHERE ProNr=" + project +
           " AND ProjektID = Projekt.Id";
  }
  if (extension == ".VX3KS") {
    return "SELECT ProjektId FROM BKBNet, Projekt WHERE ProNr=" + project +
           " AND ProjektID = Projekt.Id";
  }
  if (extension == ".VX3RB") {
    return "SELECT ProjektId FROM TabProRb inner join Projekt on ProjektID = Projekt.ID "
           "WHERE ProNr=" + project;
  }
  if (extension == ".VX3EK") {
    return "SELECT ProjektId FROM Kalkulation, Projekt WHERE ProNr=" + project +
           " AND Kalkulation.ProjektID = Projekt.Id";
  }
  return "";
}

// Files of these names belong to every project and are always there.
bool IsCommonFile(const std::string& extension, const std::string& name) {
  if (extension == ".VX3OB") {
    for (const char* common : {"OBJFIN", "OBJKTOINH", "OPTIONEN", "OBJBEM"}) {
      if (EqualsNoCase(name, common)) return true;
    }
  }
  if (extension == ".VX3RB") {
    return EqualsNoCase(name, "RB_ALLG") || EqualsNoCase(name, "RB_DBDRU");
  }
  return false;
}

}  // namespace

bool ProjektDateiExists_4SQL(const std::string& path) {
  const FileNameParts parts = SplitFileName(path);
  DbHandle db;
  bool present = false;
  try {
    if (EqualsNoCase(AddBackslash(parts.drive_and_directory),
                     GetVerzeichnis("Strukturen", true, false))) {
      present = true;
    } else {
      const std::string extension = "." + UCase(parts.extension);
      Variant connect(kBareConnect);
      if (IsCommonFile(extension, parts.name)) {
        present = true;
      } else if (const std::string query = ProjectQuery(extension, parts.name);
                 !query.empty()) {
        db = OpenDb(GetVerzeichnis("PROJEKT", true, false) + kProjektDatabase, false,
                    Variant(true), connect, true);
        auto rs = db->OpenRecordset(query);
        present = rs->RecordCount() > 0;
        rs->Close();
      } else {
        db = OpenDb(path, false, Variant(true), connect, true);
        present = db->VID() != 0;
      }
    }
  } catch (const Error&) {
    present = false;
  }
  CloseDb(db);
  Err().Clear();
  return present;
}

}  // namespace vx
