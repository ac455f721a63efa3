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

int Neu(const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
  std::string number;
  bool rv = false;
  bool json = false;
  bool has_number = false;
  for (const std::string& a : args) {
    if (a == "--rv") {
      rv = true;
    } else if (a == "--json") {
      json = true;
    } else if (a.starts_with("--") || has_number) {
      err << "taluvek projekt neu: falsches Argument '" << a << "'\n\n"
          << kNeuUsage;
      return kExitUsage;
    } else {
      number = a;
      has_number = true;
    }
  }
  cls_Projekt p;
  int32_t id = 0;
  if (!p.bProjektNeu(id, number, rv)) {
    ReportFalse(err, "taluvek projekt neu", "bProjektNeu", p.lProjektErrNum(),
                p.sProjektErrText());
    return kExitFailed;
  }
  if (json) {
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

bool IsProjektNeuOderListe(const std::string& sub) {
  return sub == "neu" || sub == "liste";
}

int RunProjektNeuOderListe(const std::vector<std::string>& args,
                           std::ostream& out, std::ostream& err) {
  const bool neu = args[0] == "neu";
  std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const std::string& a : rest) {
    if (a == "--help" || a == "-h") {
      out << (neu ? kNeuUsage : kListeUsage);
      return kExitDone;
    }
  }
  if (neu) return Neu(rest, out, err);
  if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "--json")) {
    err << "taluvek projekt liste: falsche Argumente\n\n" << kListeUsage;
    return kExitUsage;
  }
  return Liste(rest.size() == 1, out, err);
}

}  // namespace vx::cli
