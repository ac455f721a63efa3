// Errors as the suite's run time knows them.
//
// A raised error is a vx::Error exception carrying a number, a description
// and a source.  Besides it every thread has one pending error, the run
// time's error object: routines that run in "resume next" fashion leave a
// failure pending there and look at it at fixed points.  The helpers at the
// end of this file turn one into the other.

#ifndef VX_TALUVEK_ERROR_H_
#define VX_TALUVEK_ERROR_H_

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "vx_taluvek/export.h"

namespace vx {

// The source the library gives to the errors it raises itself.
inline constexpr const char* kLibrarySource = "vx_Taluvek";

// Numbers of the run time's errors that the library raises or tests for.
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrObjectNotSet = 91;
inline constexpr int32_t kErrInvalidUseOfNull = 94;
inline constexpr int32_t kErrUnknownMember = 438;

// The one exception type of the library.
class VX_TALUVEK_EXPORT Error : public std::exception {
 public:
  // An empty description is replaced by StandardDescription(number), an
  // empty source by kLibrarySource.
  explicit Error(int32_t number, std::string description = {},
                 std::string source = {});

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

// The run time's text for an error number, e.g. 53 "File not found";
// "Application-defined or object-defined error" for numbers it has no text of.
VX_TALUVEK_EXPORT std::string StandardDescription(int32_t number);

// Throws Error(number, description, source).
[[noreturn]] VX_TALUVEK_EXPORT void Raise(int32_t number,
                                         std::string description = {},
                                         std::string source = {});

// The pending error of the calling thread.  Number 0 means none.
class VX_TALUVEK_EXPORT PendingError {
 public:
  int32_t Number() const { return number_; }
  const std::string& Description() const { return description_; }
  const std::string& Source() const { return source_; }
  bool IsSet() const { return number_ != 0; }

  // Makes no error pending.
  void Clear();

  // Makes `number` pending, as assigning the error object's number does:
  // an empty description becomes the standard text of the number, an empty
  // source the library's name.  Number 0 clears.
  void Set(int32_t number, std::string description = {},
           std::string source = {});
  void Set(const Error& error);

  // Throws the pending error as an Error.  Raises 5 when none is pending.
  [[noreturn]] void Raise() const;

 private:
  int32_t number_ = 0;
  std::string description_;
  std::string source_;
};

// This thread's pending error.
VX_TALUVEK_EXPORT PendingError& Err();

// Runs `step` as one statement of a "resume next" region: an Error it raises
// becomes the pending error and execution goes on.  Returns true when the
// step raised nothing.  The pending error is not cleared before the step, as
// in the run time, where a failing statement only overwrites it.
template <typename Step>
bool ResumeNext(Step&& step) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const Error& e) {
    Err().Set(e);
    return false;
  }
}

// Like ResumeNext, for a step that computes a value: returns the value, or
// `fallback` when the step raised (the error is then pending).
template <typename T, typename Step>
T ResumeNextValue(Step&& step, T fallback) {
  try {
    return std::forward<Step>(step)();
  } catch (const Error& e) {
    Err().Set(e);
    return fallback;
  }
}

}  // namespace vx

#endif  // VX_TALUVEK_ERROR_H_
