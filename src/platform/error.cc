#include "vx_taluvek/error.h"

#include <utility>

namespace vx {

namespace {

// The texts the automation run time gives its error numbers.
const char* RunTimeText(int32_t number) {
  switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 28: return "Out of stack space";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 67: return "Too many files";
    case 68: return "Device unavailable";
    case 70: return "Permission denied";
    case 71: return "Disk not ready";
    case 74: return "Can't rename with different drive";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 92: return "For loop not initialized";
    case 94: return "Invalid use of Null";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 430: return "Class does not support Automation or does not support expected interface";
    case 438: return "Object doesn't support this property or method";
    case 440: return "Automation error";
    case 445: return "Object doesn't support this action";
    case 446: return "Object doesn't support named arguments";
    case 448: return "Named argument not found";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 451: return "Property let procedure not defined and property get procedure did not return an object";
    default: return nullptr;
  }
}

}  // namespace

std::string StandardDescription(int32_t number) {
  const char* text = RunTimeText(number);
  return text ? text : "Application-defined or object-defined error";
}

Error::Error(int32_t number, std::string description, std::string source)
    : number_(number),
      description_(description.empty() ? StandardDescription(number)
                                       : std::move(description)),
      source_(source.empty() ? kLibrarySource : std::move(source)) {}

void Raise(int32_t number, std::string description, std::string source) {
  throw Error(number, std::move(description), std::move(source));
}

void PendingError::Clear() {
  number_ = 0;
  description_.clear();
  source_.clear();
}

void PendingError::Set(int32_t number, std::string description,
                       std::string source) {
  if (number == 0) {
    Clear();
    return;
  }
  Error e(number, std::move(description), std::move(source));
  Set(e);
}

void PendingError::Set(const Error& error) {
  number_ = error.number();
  description_ = error.description();
  source_ = error.source();
}

void PendingError::Raise() const {
  if (number_ == 0) vx::Raise(5);
  throw Error(number_, description_, source_);
}

PendingError& Err() {
  thread_local PendingError pending;
  return pending;
}

}  // namespace vx
