// The progress meter the library brings along.  It hands the meter's
// movements to the host's progress hook as percentages of its range, so
// that the hosting program (the command draws a bar on a terminal) shows
// them as it likes.

#include <algorithm>
#include <memory>
#include <string>

#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/meter.h"

namespace vx {

namespace {

class DefaultMeter : public Meter {
 public:
  ~DefaultMeter() override { Stop(); }

  void AllgmeterInit() override {}

  void AllgmeterStart(int64_t /*owner*/, const std::string& caption,
                      const std::string& line, int32_t minimum,
                      int32_t maximum, double total) override {
    Stop();
    minimum_ = minimum;
    maximum_ = std::max(maximum, minimum + 1);
    report_ = ProgressReport{};
    report_.caption = caption;
    report_.line = line;
    report_.total_bytes = total > 0 ? static_cast<int64_t>(total) : 0;
    CurrentHost().ReportProgress(report_);
    running_ = true;
  }

  void AllgmeterUpdate(int32_t value) override {
    if (!running_) return;
    const int64_t span = int64_t{maximum_} - minimum_;
    const int64_t done = std::clamp<int64_t>(value - int64_t{minimum_}, 0, span);
    const auto percent = static_cast<int32_t>(done * 100 / span);
    // A meter moved to where it stands need not be drawn again.
    if (percent == report_.percent &&
        report_.stage == ProgressReport::Stage::kUpdate) {
      return;
    }
    report_.stage = ProgressReport::Stage::kUpdate;
    report_.percent = percent;
    CurrentHost().ReportProgress(report_);
  }

  void Stop() override {
    if (!running_) return;
    running_ = false;
    report_.stage = ProgressReport::Stage::kStop;
    CurrentHost().ReportProgress(report_);
  }

 private:
  bool running_ = false;
  int32_t minimum_ = 0;
  int32_t maximum_ = 100;
  ProgressReport report_;
};

const bool registered = [] {
  RegisterComponent(Meter::kProgramId,
                    [] { return std::make_shared<DefaultMeter>(); });
  return true;
}();

}  // namespace

}  // namespace vx
