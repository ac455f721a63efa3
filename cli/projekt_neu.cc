#include "cli/projekt_neu.h"

#include "cli/outcome.h"
#include "cli/value_text.h"
#include "config/directories.h"
#include "data/connections.h"
#include "vx_taluvek/cls_projekt.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kNeuUsage =
    "Aufruf: taluvek [--benutzer NAME --passwort-stdin] projekt neu [NR] [--rv]"
    " [--json]\n"
    "\n"
    "Legt ein Projekt an (bProjektNeu) und zeigt seine Id und Nummer. Ohne NR\n"
    "erhält es die vorläufige Nummer \"<Neues Projekt>\" mit der Id des\n"
    "Benutzers; seine Rechte erhält der Benutzer dann beim ersten Speichern\n"
    "mit der richtigen Nummer. --rv setzt IsRVProj. Ist die\n"
    "Benutzerverwaltung an, meldet sich der Benutzer zuerst an und braucht\n"
    "das Recht PROJ_NEW. Fehlt die Projektdatenbank, wird sie aus ihrer\n"
    "Vorlage PRJSTRUK.VX3DB angelegt.\n";

constexpr const char* kListeUsage =
    "Aufruf: taluvek projekt liste [--json]\n"
    "\n"
    "Nummer, Id, Bezeichnung und Sperre jedes Projekts, nach Nummer.\n";

struct NeuOptions {
  std::string number;
  bool rv = false;
  bool json = false;
};

int Neu(const NeuOptions& options, std::ostream& out, std::ostream& err) {
  // The project object takes its arguments by reference.
  std::string number = options.number;
  bool rv = options.rv;
  cls_Projekt p;
  int32_t id = 0;
  if (!p.bProjektNeu(id, number, rv)) {
    ReportFalse(err, "taluvek projekt neu", "bProjektNeu", p.lProjektErrNum(),
                p.sProjektErrText());
    return kExitFailed;
  }
  if (options.json) {
    out << "{\"id\":" << id << ",\"nummer\":" << JsonString(number) << "}\n";
  } else {
    out << "Id = " << id << "\nProNr = " << PlainText(Variant(number)) << "\n";
  }
  return kExitDone;
}

int Liste(bool json, std::ostream& out, std::ostream& err) {
  Variant connect(kBareConnect);
  DbHandle db;
  try {
    db = OpenDb(GetVerzeichnis("PROJEKT", false, false) + "PROJEKT.VX3DB",
                false, Variant(true), connect, true);
    RsHandle rs = db->OpenRecordset(
        "SELECT ProNr, Id, ProBez, SatzLockKZ FROM Projekt ORDER BY ProNr, Id",
        Variant(dao::kOpenForwardOnly));
    for (; !rs->Eof(); rs->MoveNext()) {
      dao::Fields& f = rs->Fields();
      const Variant locked = f[3].Value();
      const bool gesperrt = !locked.IsNull() && CBool(locked);
      if (json) {
        out << "{\"nummer\":" << JsonValue(f[0].Value())
            << ",\"id\":" << JsonValue(f[1].Value())
            << ",\"bezeichnung\":" << JsonValue(f[2].Value())
            << ",\"gesperrt\":" << (gesperrt ? "true" : "false") << "}\n";
      } else {
        out << PlainText(f[0].Value()) << "\t" << PlainText(f[1].Value())
            << "\t" << PlainText(f[2].Value())
            << (gesperrt ? "\tgesperrt" : "") << "\n";
      }
    }
    rs->Close();
  } catch (const Error& e) {
    err << "taluvek projekt liste: Fehler " << e.number() << ": "
        << e.description() << "\n";
    CloseDb(db);
    return kExitFailed;
  }
  CloseDb(db);
  return kExitDone;
}

}  // namespace

void AddProjektNeuUndListe(CommandLine& line, CLI::App& projekt) {
  auto neu = std::make_shared<NeuOptions>();
  CLI::App* command = line.Add(projekt, "neu", kNeuUsage,
                               [neu](const Invocation& call) {
                                 return Neu(*neu, call.out(), call.err());
                               });
  command->add_option("NR", neu->number);
  command->add_flag("--rv", neu->rv);
  command->add_flag("--json", neu->json);

  auto json = std::make_shared<bool>(false);
  command = line.Add(projekt, "liste", kListeUsage,
                     [json](const Invocation& call) {
                       return Liste(*json, call.out(), call.err());
                     });
  command->add_flag("--json", *json);
}

}  // namespace vx::cli
