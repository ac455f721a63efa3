#include "cli/step_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

#include "platform/text.h"

namespace vx::cli {

StepProgress::StepProgress(std::ostream* terminal, int columns, std::ostream& lines, int total)
    : terminal_(terminal), columns_(columns), lines_(&lines), total_(total) {}

StepProgress StepProgress::ForCommand(std::ostream& out, std::ostream& err, int total) {
  winsize size{};
  if (&err != &std::cerr || !isatty(STDERR_FILENO)) return StepProgress(nullptr, 0, out, total);
  const int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0
                          ? static_cast<int>(size.ws_col)
                          : 80;
  return StepProgress(&err, columns, out, total);
}

StepProgress::~StepProgress() { Clear(); }

void StepProgress::Begin(const std::string& what) {
  ++number_;
  what_ = what;
  if (terminal_ != nullptr) {
    Draw("");
  } else {
    *lines_ << "[" << number_ << "/" << total_ << "] " << what_ << ": " << std::flush;
  }
}

void StepProgress::Detail(const std::string& detail) {
  if (terminal_ != nullptr) Draw(detail);
}

void StepProgress::End(const std::string& result) {
  if (terminal_ == nullptr) *lines_ << result << "\n" << std::flush;
}

void StepProgress::Clear() {
  if (terminal_ == nullptr || !drawn_) return;
  *terminal_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

void StepProgress::Draw(const std::string& detail) {
  const std::string head = "[" + std::to_string(number_) + "/" + std::to_string(total_) + "] ";
  const std::string tail = detail.empty() ? "" : "  " + detail;
  // A line longer than the terminal would wrap, and the next drawing would
  // leave the wrapped part behind: the path gives way from its left.
  const size_t room = static_cast<size_t>(columns_ > 1 ? columns_ - 1 : 1);
  std::string what = what_;
  const size_t fixed = Len(head) + Len(tail);
  if (fixed + Len(what) > room) {
    const size_t keep = room > fixed + 1 ? room - fixed - 1 : 0;
    what = "…" + Right(what, keep);
  }
  std::string line = head + what + tail;
  if (Len(line) > room) line = Left(line, room);
  *terminal_ << "\r" << line << "\x1b[K" << std::flush;
  drawn_ = true;
}

}  // namespace vx::cli
