#include "host_hooks.h"

#include <pybind11/stl.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "vx_taluvek/host.h"

namespace vx::python {

namespace {

// A Python callable held by the library's hooks.  The library copies its
// hooks freely, on any thread; copies share the callable without touching
// its reference count, and the last one lets go of it under the interpreter
// lock, or not at all once the interpreter is gone.
using Callable = std::shared_ptr<py::object>;

Callable Keep(py::object function) {
  return Callable(new py::object(std::move(function)), [](py::object* held) {
    if (Py_IsInitialized()) {
      py::gil_scoped_acquire gil;
      delete held;
    } else {
      held->release();
      delete held;
    }
  });
}

// Calls `body` under the interpreter lock; when the hook raises or answers
// something it should not, reports it as unraisable and answers `refusal`.
template <typename T, typename Body>
T CallHook(const char* hook, T refusal, Body&& body) {
  py::gil_scoped_acquire gil;
  try {
    return body();
  } catch (py::error_already_set& raised) {
    raised.discard_as_unraisable(hook);
  } catch (const std::exception& wrong_answer) {
    PyErr_SetString(PyExc_TypeError, wrong_answer.what());
    PyErr_WriteUnraisable(py::str(hook).ptr());
  }
  return refusal;
}

// The answer of a message box that says no: cancel, no or abort, as the
// box's buttons (the low bits of its style) offer.
int32_t Refusal(int32_t style) {
  switch (style & 7) {
    case 0: return kMsgOk;
    case 2: return kMsgAbort;
    case 4: return kMsgNo;
    default: return kMsgCancel;
  }
}

// Whether the Python hooks are installed, so that leaving the interpreter
// takes them out again before the callables go.
bool python_hooks_installed = false;

void SetPythonHostHooks(std::optional<py::function> message_box,
                        std::optional<py::function> login,
                        std::optional<py::function> progress,
                        std::optional<py::function> get_mouse_pointer,
                        std::optional<py::function> set_mouse_pointer,
                        std::optional<py::function> do_events,
                        std::optional<py::function> executable_name) {
  HostHooks hooks;
  if (message_box) {
    hooks.message_box = [f = Keep(*message_box)](const std::string& prompt,
                                                 int32_t style,
                                                 const std::string& title) {
      return CallHook("message_box hook", Refusal(style), [&] {
        return (*f)(prompt, style, title).cast<int32_t>();
      });
    };
  }
  if (login) {
    hooks.login = [f = Keep(*login)](const std::string& caption,
                                     std::string& name, std::string& password) {
      return CallHook("login hook", false, [&] {
        py::object answer = (*f)(caption);
        if (answer.is_none() || answer.is(py::bool_(false))) return false;
        auto [given_name, given_password] =
            answer.cast<std::pair<std::string, std::string>>();
        name = std::move(given_name);
        password = std::move(given_password);
        return true;
      });
    };
  }
  if (progress) {
    hooks.progress = [f = Keep(*progress)](const ProgressReport& report) {
      CallHook("progress hook", 0, [&] {
        (*f)(report);
        return 0;
      });
    };
  }
  if (get_mouse_pointer) {
    hooks.get_mouse_pointer = [f = Keep(*get_mouse_pointer)] {
      return CallHook("get_mouse_pointer hook", 0,
                      [&] { return (*f)().cast<int32_t>(); });
    };
  }
  if (set_mouse_pointer) {
    hooks.set_mouse_pointer = [f = Keep(*set_mouse_pointer)](int32_t pointer) {
      CallHook("set_mouse_pointer hook", 0, [&] {
        (*f)(pointer);
        return 0;
      });
    };
  }
  if (do_events) {
    hooks.do_events = [f = Keep(*do_events)] {
      CallHook("do_events hook", 0, [&] {
        (*f)();
        return 0;
      });
    };
  }
  if (executable_name) {
    hooks.executable_name = [f = Keep(*executable_name)] {
      return CallHook("executable_name hook", std::string(),
                      [&] { return (*f)().cast<std::string>(); });
    };
  }
  SetHostHooks(std::move(hooks));
  python_hooks_installed = true;
}

}  // namespace

void DefineHostHooks(py::module_& module) {
  py::class_<ProgressReport> report(
      module, "ProgressReport",
      "Progress of a long operation, as the progress hook receives it.");
  py::enum_<ProgressReport::Stage>(report, "Stage")
      .value("kStart", ProgressReport::Stage::kStart)
      .value("kUpdate", ProgressReport::Stage::kUpdate)
      .value("kStop", ProgressReport::Stage::kStop);
  report.def_readonly("stage", &ProgressReport::stage)
      .def_readonly("caption", &ProgressReport::caption)
      .def_readonly("line", &ProgressReport::line)
      .def_readonly("percent", &ProgressReport::percent)
      .def_readonly("total_bytes", &ProgressReport::total_bytes);

  for (auto [name, answer] :
       {std::pair{"kMsgOk", kMsgOk}, {"kMsgCancel", kMsgCancel},
        {"kMsgAbort", kMsgAbort}, {"kMsgRetry", kMsgRetry},
        {"kMsgIgnore", kMsgIgnore}, {"kMsgYes", kMsgYes}, {"kMsgNo", kMsgNo}}) {
    module.attr(name) = static_cast<int32_t>(answer);
  }

  module.def("SetHostHooks", &SetPythonHostHooks, py::kw_only(),
             py::arg("message_box") = py::none(), py::arg("login") = py::none(),
             py::arg("progress") = py::none(),
             py::arg("get_mouse_pointer") = py::none(),
             py::arg("set_mouse_pointer") = py::none(),
             py::arg("do_events") = py::none(),
             py::arg("executable_name") = py::none(),
             "Installs the hosting program's hooks from Python callables "
             "(message_box(prompt, style, title) -> answer, login(caption) -> "
             "(name, password) or None, progress(report), "
             "get_mouse_pointer() -> int, set_mouse_pointer(int), "
             "do_events(), executable_name() -> str); the others are the "
             "library's defaults.");

  // Before the interpreter goes, the library lets go of its callables.
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    if (python_hooks_installed) {
      SetHostHooks({});
      python_hooks_installed = false;
    }
  }));
}

}  // namespace vx::python
