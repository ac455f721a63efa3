#include "late_bound.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "values.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/dispatch.h"
#include "vx_taluvek/error.h"

namespace vx::python {

namespace {

// A variable that a late-bound call may write into.
struct ByRef {
  py::object value;
};

// Calls member `dispid` with the Python arguments `args` and writes what
// the member hands back into the ByRef arguments among them.
py::object Call(Dispatch& object, int32_t dispid, const py::args& args) {
  std::vector<Variant> values;
  values.reserve(args.size());
  for (py::handle arg : args) {
    values.push_back(py::isinstance<ByRef>(arg)
                         ? FromPython(arg.cast<ByRef&>().value)
                         : FromPython(arg));
  }
  const Variant result =
      object.Invoke(dispid, kInvokeMethod | kInvokePropertyGet, values);
  for (size_t i = 0; i < values.size(); ++i) {
    if (py::isinstance<ByRef>(args[i])) {
      args[i].cast<ByRef&>().value = ToPython(values[i]);
    }
  }
  return ToPython(result);
}

// The value of a property, or the method of that name as a callable.  A
// member is a property when it answers a property get without arguments;
// the object's call check tells without calling it.
py::object Attribute(const std::shared_ptr<Dispatch>& object,
                     const std::string& name) {
  if (name.starts_with("__")) throw py::attribute_error(name);
  const int32_t dispid = object->GetIDOfName(name);
  std::vector<Variant> none;
  bool property = true;
  try {
    object->CheckCall(dispid, kInvokePropertyGet, none);
  } catch (const Error&) {
    property = false;
  }
  if (property) return ToPython(object->Invoke(dispid, kInvokePropertyGet, none));
  return py::cpp_function(
      [object, dispid](const py::args& args) {
        return Call(*object, dispid, args);
      },
      py::name(name.c_str()));
}

void SetProperty(Dispatch& object, const std::string& name,
                 py::handle value) {
  std::vector<Variant> args{FromPython(value)};
  object.InvokeByName(name, kInvokePropertyPut, args);
}

}  // namespace

void DefineLateBound(py::module_& module) {
  py::class_<ByRef>(module, "ByRef",
                    "A variable for a by-reference argument of a late-bound "
                    "call: the call writes into value.")
      .def(py::init<py::object>(), py::arg("value") = py::none())
      .def_readwrite("value", &ByRef::value)
      .def("__repr__", [](const ByRef& ref) {
        return "ByRef(" + py::repr(ref.value).cast<std::string>() + ")";
      });

  py::class_<Dispatch, std::shared_ptr<Dispatch>>(
      module, "Dispatch",
      "An object of the library called late-bound, by member name.")
      .def("__getattr__", &Attribute)
      .def("__setattr__", &SetProperty);

  module.def(
      "CreateObject",
      [](const std::string& program_id) {
        auto object = std::dynamic_pointer_cast<Dispatch>(CreateObject(program_id));
        if (!object) Raise(kErrUnknownMember);
        return object;
      },
      py::arg("program_id"),
      "Creates the object registered under program_id (\"vx_Taluvek.cls_Projekt\") "
      "for late-bound calls; Fehler 429 when nothing is registered there.");
}

}  // namespace vx::python
