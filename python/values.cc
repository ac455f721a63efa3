#include "values.h"

#include <datetime.h>

#include <cmath>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "vx_taluvek/dispatch.h"

namespace vx::python {

namespace {

// The exception types, owned by the module that holds them as attributes;
// they live as long as the interpreter.
PyObject* fehler_type = nullptr;
PyObject* unknown_member_type = nullptr;

// Integers a double holds exactly: up to 2^53.
constexpr long long kLargestExactInDouble = 9007199254740992LL;

void SetPythonError(const Error& error) {
  PyObject* type = error.number() == kErrUnknownMember ? unknown_member_type
                                                       : fehler_type;
  py::object instance =
      py::reinterpret_borrow<py::object>(type)(error.description());
  instance.attr("number") = error.number();
  instance.attr("description") = error.description();
  instance.attr("source") = error.source();
  PyErr_SetObject(type, instance.ptr());
}

void ImportDateTime() {
  if (PyDateTimeAPI == nullptr) {
    PyDateTime_IMPORT;
    if (PyDateTimeAPI == nullptr) throw py::error_already_set();
  }
}

py::object DecimalType() {
  return py::module_::import("decimal").attr("Decimal");
}

py::object ToPythonDate(Date date) {
  ImportDateTime();
  const DateParts parts = SplitDate(date);
  PyObject* result = PyDateTime_FromDateAndTime(
      parts.year, parts.month, parts.day, parts.hour, parts.minute,
      parts.second, 0);
  if (result == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

// A datetime or a date, or nothing.
bool DateFromPython(py::handle value, Date* date) {
  ImportDateTime();
  if (PyDateTime_Check(value.ptr())) {
    py::object local = py::reinterpret_borrow<py::object>(value);
    if (!local.attr("tzinfo").is_none()) {
      local = local.attr("astimezone")().attr("replace")(
          py::arg("tzinfo") = py::none());
    }
    PyObject* p = local.ptr();
    // Rounded to the second, as dates are kept; a second that carries over
    // into the next minute is taken care of by DateFromParts.
    const int rounding = PyDateTime_DATE_GET_MICROSECOND(p) >= 500000 ? 1 : 0;
    *date = DateFromParts(PyDateTime_GET_YEAR(p), PyDateTime_GET_MONTH(p),
                          PyDateTime_GET_DAY(p), PyDateTime_DATE_GET_HOUR(p),
                          PyDateTime_DATE_GET_MINUTE(p),
                          PyDateTime_DATE_GET_SECOND(p) + rounding);
    return true;
  }
  if (PyDate_Check(value.ptr())) {
    PyObject* p = value.ptr();
    *date = DateFromParts(PyDateTime_GET_YEAR(p), PyDateTime_GET_MONTH(p),
                          PyDateTime_GET_DAY(p));
    return true;
  }
  return false;
}

Variant IntFromPython(py::handle value) {
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (number == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow == 0 && number >= INT32_MIN && number <= INT32_MAX) {
    return Variant(static_cast<int32_t>(number));
  }
  if (overflow != 0 || number > kLargestExactInDouble ||
      number < -kLargestExactInDouble) {
    Raise(kErrOverflow);
  }
  return Variant(static_cast<double>(number));
}

Variant CurrencyFromPython(py::handle value) {
  if (!value.attr("is_finite")().cast<bool>()) Raise(kErrOverflow);
  py::object scaled =
      (value * py::int_(10000))
          .attr("to_integral_value")(py::arg("rounding") = "ROUND_HALF_EVEN");
  int overflow = 0;
  const long long number =
      PyLong_AsLongLongAndOverflow(py::int_(scaled).ptr(), &overflow);
  if (number == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow != 0) Raise(kErrOverflow);
  return Variant(Currency{number});
}

std::string TextFromPython(py::handle value) {
  // Lone surrogates stand for bytes that were no UTF-8 when the text was
  // read, so that such a text goes back as it came.
  py::object bytes = py::reinterpret_steal<py::object>(
      PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape"));
  if (!bytes) throw py::error_already_set();
  return std::string(PyBytes_AS_STRING(bytes.ptr()),
                     static_cast<size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

py::object TextToPython(const std::string& text) {
  PyObject* result = PyUnicode_DecodeUTF8(
      text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (result == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

}  // namespace

void DefineErrors(py::module_& module) {
  fehler_type = PyErr_NewExceptionWithDoc(
      "vx_taluvek.Fehler",
      "An error of the library: a wrong call (unknown member, wrong "
      "arguments, a value of the wrong type).  number, description and "
      "source are the error's.",
      PyExc_Exception, nullptr);
  if (fehler_type == nullptr) throw py::error_already_set();
  module.add_object("Fehler", py::handle(fehler_type));
  py::tuple bases = py::make_tuple(py::handle(fehler_type),
                                   py::handle(PyExc_AttributeError));
  unknown_member_type = PyErr_NewExceptionWithDoc(
      "vx_taluvek.UnbekanntesMitglied",
      "Fehler 438: the object has no member of that name for that kind of "
      "call.",
      bases.ptr(), nullptr);
  if (unknown_member_type == nullptr) throw py::error_already_set();
  module.add_object("UnbekanntesMitglied", py::handle(unknown_member_type));

  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const Error& error) {
      SetPythonError(error);
    }
  });
}

py::object ToPython(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
    case VarType::kError:
      return py::none();
    case VarType::kBoolean:
      return py::bool_(*value.get_if<bool>());
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kByte:
      return py::int_(CLng(value));
    case VarType::kSingle:
    case VarType::kDouble:
      return py::float_(CDbl(value));
    case VarType::kCurrency:
      return DecimalType()(value.get_if<Currency>()->scaled)
          .attr("scaleb")(-4);
    case VarType::kDate:
      return ToPythonDate(*value.get_if<Date>());
    case VarType::kString:
      return TextToPython(*value.get_if<std::string>());
    case VarType::kByteArray: {
      const ByteArray& bytes = *value.get_if<ByteArray>();
      return py::bytes(reinterpret_cast<const char*>(bytes.data()),
                       bytes.size());
    }
    case VarType::kObject: {
      auto object = std::dynamic_pointer_cast<Dispatch>(*value.get_if<ObjectRef>());
      if (!object) Raise(kErrTypeMismatch);
      return py::cast(std::move(object));
    }
  }
  Raise(kErrTypeMismatch);
}

Variant FromPython(py::handle value) {
  if (value.is_none()) return Variant::Null();
  if (PyBool_Check(value.ptr())) return Variant(value.ptr() == Py_True);
  if (PyLong_Check(value.ptr())) return IntFromPython(value);
  if (PyFloat_Check(value.ptr())) return Variant(PyFloat_AS_DOUBLE(value.ptr()));
  if (PyUnicode_Check(value.ptr())) return Variant(TextFromPython(value));
  if (PyBytes_Check(value.ptr()) || PyByteArray_Check(value.ptr()) ||
      PyMemoryView_Check(value.ptr())) {
    py::object bytes =
        py::reinterpret_steal<py::object>(PyBytes_FromObject(value.ptr()));
    if (!bytes) throw py::error_already_set();
    const auto* data =
        reinterpret_cast<const uint8_t*>(PyBytes_AS_STRING(bytes.ptr()));
    return Variant(ByteArray(
        data, data + static_cast<size_t>(PyBytes_GET_SIZE(bytes.ptr()))));
  }
  Date date;
  if (DateFromPython(value, &date)) return Variant(date);
  if (py::isinstance(value, DecimalType())) return CurrencyFromPython(value);
  if (py::isinstance<Dispatch>(value)) {
    return Variant(ObjectRef(value.cast<std::shared_ptr<Dispatch>>()));
  }
  Raise(kErrTypeMismatch);
}

}  // namespace vx::python
