// The hosting program's hooks (vx_taluvek/host.h) from Python callables.
//
//   vx_taluvek.SetHostHooks(
//       message_box=lambda prompt, style, title: vx_taluvek.kMsgOk,
//       login=lambda caption: ("anna", "geheim"),  # None cancels
//       progress=lambda report: print(report.percent))
//
// SetHostHooks installs the given hooks for the whole process and leaves
// the others empty (the library's defaults); SetHostHooks() with no
// arguments restores the defaults.  The library calls a hook on the thread
// that called it, and the hook takes the interpreter lock for the call.  A
// hook that raises or answers something else than it should is reported as
// an unraisable exception (sys.unraisablehook) and counts as a refusal: the
// message box answers its cancel or no button (OK for a box with only that),
// the login is cancelled, the others do nothing.

#ifndef VX_PYTHON_HOST_HOOKS_H_
#define VX_PYTHON_HOST_HOOKS_H_

#include <pybind11/pybind11.h>

namespace vx::python {

namespace py = pybind11;

// Adds SetHostHooks, ProgressReport and the message box answers to `module`.
void DefineHostHooks(py::module_& module);

}  // namespace vx::python

#endif  // VX_PYTHON_HOST_HOOKS_H_
