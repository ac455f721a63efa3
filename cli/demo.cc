#include "cli/demo.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data/connections.h"
#include "data/field_values.h"
#include "engine/schema.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE Projekt (Id COUNTER, ProNr TEXT(50), ProBez TEXT(255), "
    "SatzLockKZ YESNO, Aktualisierung DATETIME, BEMERKUNG MEMO);\n"
    "CREATE INDEX ProNr ON Projekt (ProNr);\n";

void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

std::string MakeFolder(const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::filesystem::create_directories(args[0]);
    return std::filesystem::absolute(args[0]).string();
  }
  std::string templ =
      (std::filesystem::temp_directory_path() / "taluvek_demo_XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) return "";
  return templ;
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  constexpr const char* kUsage = "Aufruf: taluvek demo [ORDNER]\n";
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() > 1 || (!args.empty() && args[0].starts_with("-"))) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string folder = MakeFolder(args);
  if (folder.empty()) {
    std::fputs("taluvek demo: kein Ordner\n", stderr);
    return 1;
  }
  std::string path = folder + "/PROJEKT.VX3DB";
  try {
    if (std::filesystem::exists(path)) std::filesystem::remove(path);
    dao::CreateDatabase(path, kSchema, kSuitePassword);
    Say("angelegt:  " + path + " (mit dem Kennwort der Suite)");

    Variant connect(kBareConnect);
    DbHandle db = OpenDb(path, false, Variant(false), connect, true);
    Say("geöffnet:  OpenDb, Verbindungstext ergänzt zu \";pwd=<Kennwort>\"");

    RsHandle rs = db->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = 'O''Neil'",
                                    Variant(dao::kOpenDynaset));
    rs->AddNew();
    rs->Fields()["ProNr"].SetValue(Variant("O'Neil"));
    rs->Fields()["ProBez"].SetValue(Variant("Neubau Kindergarten"));
    rs->Fields()["SatzLockKZ"].SetValue(Variant(false));
    rs->Fields()["Aktualisierung"].SetValue(Variant(Now()));
    rs->Update();
    rs->SetBookmark(rs->LastModified());
    int32_t type_code = 0;
    Say("geschrieben: Projekt Id " + CStr(FieldValue(&rs->Fields()["Id"], type_code)));
    CloseRs(rs);

    rs = db->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = 'O''Neil'",
                           Variant(dao::kOpenSnapshot));
    Say("gelesen:   " + std::to_string(rs->Fields().Count()) + " Spalten");
    for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
      dao::Field& field = rs->Fields()[i];
      type_code = 0;
      Say("  " + field.Name() + " = " + CStr(FieldValue(&field, type_code)));
    }
    CloseRs(rs);
    CloseDb(db);
    Say("geschlossen.");
    return 0;
  } catch (const Error& e) {
    std::fprintf(stderr, "taluvek demo: Fehler %d: %s\n", e.number(),
                 e.description().c_str());
    return 1;
  }
}

}  // namespace vx::cli
