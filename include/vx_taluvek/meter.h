// The suite's progress meter, a sibling component created by program
// identifier (see components.h).  The library brings one along that shows
// its progress through the host's progress hook.

#ifndef VX_TALUVEK_METER_H_
#define VX_TALUVEK_METER_H_

#include <cstdint>
#include <string>

#include "vx_taluvek/export.h"
#include "vx_taluvek/variant.h"

namespace vx {

class VX_TALUVEK_EXPORT Meter : public Object {
 public:
  static constexpr const char* kProgramId = "vx_Runtime.vx_Meter";
  // Prepares the meter; called once before AllgmeterStart.
  virtual void AllgmeterInit() = 0;
  // Shows the meter over the window `owner` (0: none) with `caption` and
  // the text line `line`, counting from `minimum` to `maximum`; `total` is
  // the amount (bytes) that the whole range stands for, 0 when unknown.
  virtual void AllgmeterStart(int64_t owner, const std::string& caption,
                              const std::string& line, int32_t minimum,
                              int32_t maximum, double total) = 0;
  // Moves the meter to `value` (between minimum and maximum).
  virtual void AllgmeterUpdate(int32_t value) = 0;
  // Takes the meter away.
  virtual void Stop() = 0;
};

}  // namespace vx

#endif  // VX_TALUVEK_METER_H_
