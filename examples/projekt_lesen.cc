// Reads a project, changes its description and saves it, through the
// installed library alone.
//
//   projekt_lesen [NR [BEZEICHNUNG]]     (defaults: 4711, "Neubau Turnhalle")
//
// The installation is the one TARVANO_HOME points at; `taluvek einrichten
// ORDNER --beispiel` makes one with the project 4711.

#include <cstdint>
#include <iostream>
#include <string>

#include <vx_taluvek/cls_projekt.h>
#include <vx_taluvek/variant.h>

namespace {

// Every member answers true or false and keeps the reason of a failure.
int Failed(const vx::cls_Projekt& projekt, const std::string& what) {
  std::cerr << what << ": " << projekt.lProjektErrNum() << " "
            << projekt.sProjektErrText() << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string nummer = argc > 1 ? argv[1] : "4711";
  vx::Variant bezeichnung = argc > 2 ? argv[2] : "Neubau Turnhalle";

  vx::cls_Projekt projekt;
  int32_t id = 0;
  if (!projekt.bProjektRead(id, nummer)) return Failed(projekt, "Lesen");
  std::cout << "Projekt " << projekt.sProjektNr() << " (Id " << id << "): "
            << projekt.sProjektBez() << ", " << projekt.Ort() << "\n";

  // Changes go into the object's copy of the row; the save writes them.
  vx::Variant spalte = "ProBez";
  if (!projekt.bProjektDatenWrite(bezeichnung, spalte)) {
    return Failed(projekt, "Ändern");
  }
  if (!projekt.bProjWrite(id, nummer)) return Failed(projekt, "Speichern");

  // A second object reads what the first one saved.
  vx::cls_Projekt gelesen;
  int32_t kein_id = 0;
  if (!gelesen.bProjektRead(kein_id, nummer)) return Failed(gelesen, "Lesen");
  std::cout << "gespeichert: " << gelesen.sProjektBez() << "\n";
  return gelesen.sProjektBez() == vx::CStr(bezeichnung) ? 0 : 1;
}
