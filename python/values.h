// The library's variants as Python values and back, and its errors as the
// Python exception vx_taluvek.Fehler.
//
//   Variant                    Python
//   empty, null                None (None becomes null)
//   boolean                    bool
//   integer, long, byte        int (an int becomes a long, or a double
//                              beyond 32 bits while it is exact in one)
//   single, double             float
//   currency                   decimal.Decimal with four places
//   date                       datetime.datetime, naive local time to the
//                              second (a datetime.date is its midnight; an
//                              aware datetime is first made local)
//   text                       str
//   byte array                 bytes (bytes, bytearray, memoryview back)
//   late-bound object          vx_taluvek.Dispatch
//
// Anything else raises Fehler 13 (type mismatch); an int too large for a
// double to hold exactly raises Fehler 6 (overflow).

#ifndef VX_PYTHON_VALUES_H_
#define VX_PYTHON_VALUES_H_

#include <pybind11/pybind11.h>

#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace vx::python {

namespace py = pybind11;

// Adds the exceptions to `module` and translates every vx::Error that
// reaches Python into one of them: Fehler (a subclass of Exception), or for
// an unknown member (438) UnbekanntesMitglied, which is also an
// AttributeError so that hasattr() and getattr() with a default work.  The
// instances carry the error's number, description and source.
void DefineErrors(py::module_& module);

py::object ToPython(const Variant& value);
Variant FromPython(py::handle value);

}  // namespace vx::python

#endif  // VX_PYTHON_VALUES_H_
