// Late-bound objects in Python, as the suite's scripts used them.
//
//   p = vx_taluvek.CreateObject("vx_Taluvek.cls_Projekt")
//   nr = vx_taluvek.ByRef("4711")
//   if p.bProjektRead(0, nr): print(nr.value, p.sProjektBez)
//   p.sProjektNr = "4712"
//
// An attribute is a member found by name without regard to case: a
// property reads as its value, a method is a callable, and assigning an
// attribute sets a property.  Arguments are Python values (see values.h);
// an argument wrapped in ByRef receives what the member hands back into a
// by-reference parameter, as a script's variable would.  A wrong call raises
// Fehler with the run time's number (UnbekanntesMitglied for 438).

#ifndef VX_PYTHON_LATE_BOUND_H_
#define VX_PYTHON_LATE_BOUND_H_

#include <pybind11/pybind11.h>

namespace vx::python {

namespace py = pybind11;

// Adds Dispatch, ByRef and CreateObject to `module`.
void DefineLateBound(py::module_& module);

}  // namespace vx::python

#endif  // VX_PYTHON_LATE_BOUND_H_
