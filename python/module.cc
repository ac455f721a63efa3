// The Python module vx_taluvek: cls_Projekt in Python style, late-bound
// objects, the host hooks and the library's errors.
//
// cls_Projekt's members keep their names.  A member that hands values back
// through its arguments answers a tuple: its result first, then the new
// values of those arguments in their order,
//
//   ok, id, nr = p.bProjektRead(0, "4711")
//
// Column values are Python values (see values.h).  As in C++, a failed
// operation answers False and leaves its error in lProjektErrNum and
// sProjektErrText; only a wrong call raises (vx_taluvek.Fehler).  The
// interpreter lock is held during calls: an object belongs to one thread,
// as the library's objects do.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "host_hooks.h"
#include "late_bound.h"
#include "values.h"
#include "vx_taluvek/cls_projekt.h"

namespace vx::python {

namespace {

using IdAndNumberMember = bool (cls_Projekt::*)(int32_t&, std::string&);

// The Python form of a member that hands back a project's identity and
// number: (result, lProjID, sProjNum).
template <IdAndNumberMember Member>
py::tuple WithIdAndNumber(cls_Projekt& projekt, int32_t lProjID,
                          std::string sProjNum) {
  const bool result = (projekt.*Member)(lProjID, sProjNum);
  return py::make_tuple(result, lProjID, sProjNum);
}

void DefineProjekt(py::module_& module) {
  py::class_<cls_Projekt> c(module, "cls_Projekt",
                            "The master record of a building project.");
  c.def(py::init<>());
  c.def(
      "bProjektNeu",
      [](cls_Projekt& p, int32_t lProjID, std::string sProNr, bool bIsRVProj) {
        const bool result = p.bProjektNeu(lProjID, sProNr, bIsRVProj);
        return py::make_tuple(result, lProjID, sProNr, bIsRVProj);
      },
      py::arg("lProjID") = 0, py::arg("sProNr") = "",
      py::arg("bIsRVProj") = false,
      "Adds a project; answers (ok, lProjID, sProNr, bIsRVProj).");
  c.def("bProjektRead", &WithIdAndNumber<&cls_Projekt::bProjektRead>,
        py::arg("lProjID") = 0, py::arg("sProjNum") = "",
        "Loads a project by identity or number; answers (ok, lProjID, "
        "sProjNum).");
  c.def("bProjWrite", &WithIdAndNumber<&cls_Projekt::bProjWrite>,
        py::arg("lProjID") = 0, py::arg("sProjNum") = "",
        "Writes the field cache to a project; answers (ok, lProjID, "
        "sProjNum).");
  c.def("bProjektLock", &WithIdAndNumber<&cls_Projekt::bProjektLock>,
        py::arg("lProjID") = 0, py::arg("sProjNum") = "",
        "Locks a project; answers (ok, lProjID, sProjNum).");
  c.def("bProjektUnLock", &WithIdAndNumber<&cls_Projekt::bProjektUnLock>,
        py::arg("lProjID") = 0, py::arg("sProjNum") = "",
        "Unlocks a project; answers (ok, lProjID, sProjNum).");
  // The library never changes the index, name or value given to these two,
  // so they answer their result alone.
  c.def(
      "vProjektDatenRead",
      [](cls_Projekt& p, py::handle vIndexOrName) {
        return ToPython(p.vProjektDatenRead(FromPython(vIndexOrName)));
      },
      py::arg("vIndexOrName"),
      "The cached value of a column, by 0-based index or by name.");
  c.def(
      "bProjektDatenWrite",
      [](cls_Projekt& p, py::handle vData, py::handle vIndexOrName) {
        return p.bProjektDatenWrite(FromPython(vData), FromPython(vIndexOrName));
      },
      py::arg("vData"), py::arg("vIndexOrName"),
      "Changes a column in the field cache.");
  c.def("bProjektUnLockAll", &cls_Projekt::bProjektUnLockAll);
  c.def("ProjektInit", &cls_Projekt::ProjektInit);

  c.def_property(
      "sProgKey", [](const cls_Projekt& p) { return p.sProgKey(); },
      [](cls_Projekt& p, const std::string& key) { p.sProgKey(key); });
  c.def_property(
      "sProjektNr", [](const cls_Projekt& p) { return p.sProjektNr(); },
      [](cls_Projekt& p, const std::string& nr) { p.sProjektNr(nr); });
  c.def_property_readonly("lProjektId", &cls_Projekt::lProjektId);
  c.def_property_readonly("sProjektBez", &cls_Projekt::sProjektBez);
  c.def_property_readonly("sProjWaehrung", &cls_Projekt::sProjWaehrung);
  c.def_property_readonly("nProjektfieldscount",
                          &cls_Projekt::nProjektfieldscount);
  c.def_property_readonly("lProjektErrNum", &cls_Projekt::lProjektErrNum);
  c.def_property_readonly("sProjektErrText", &cls_Projekt::sProjektErrText);
  c.def_property_readonly("FlurNr", &cls_Projekt::FlurNr);
  c.def_property_readonly("FlurStueckNr", &cls_Projekt::FlurStueckNr);
  c.def_property_readonly("Gemeinde", &cls_Projekt::Gemeinde);
  c.def_property_readonly("Gemarkung", &cls_Projekt::Gemarkung);
  c.def_property_readonly("Strasse", &cls_Projekt::Strasse);
  c.def_property_readonly("Land", &cls_Projekt::Land);
  c.def_property_readonly("PLZ", &cls_Projekt::PLZ);
  c.def_property_readonly("Ort", &cls_Projekt::Ort);
}

}  // namespace

}  // namespace vx::python

PYBIND11_MODULE(vx_taluvek, module) {
  using namespace vx::python;
  module.doc() = "The project library of the suite: cls_Projekt, late-bound "
                 "objects and the hosting program's hooks.";
  module.attr("__version__") = VX_TALUVEK_VERSION;
  DefineErrors(module);
  DefineLateBound(module);
  DefineHostHooks(module);
  DefineProjekt(module);
}
