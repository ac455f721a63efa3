// Progress of work done in counted steps, such as the files of a move onto
// the server: on a terminal one line, drawn again in place, with the step's
// number, how many there are and what is worked on; elsewhere (a pipe, a
// file, a log) one line per step with its result, which stays readable
// there.

#ifndef VX_CLI_STEP_PROGRESS_H_
#define VX_CLI_STEP_PROGRESS_H_

#include <ostream>
#include <string>

namespace vx::cli {

class StepProgress {
 public:
  // Draws on `terminal`, a terminal `columns` characters wide, when it is
  // not null; else writes a line per step to `lines`.
  StepProgress(std::ostream* terminal, int columns, std::ostream& lines, int total);
  // Draws on `err` when it is the process's standard error and that is a
  // terminal; else writes lines to `out`.
  static StepProgress ForCommand(std::ostream& out, std::ostream& err, int total);
  StepProgress(const StepProgress&) = delete;
  StepProgress& operator=(const StepProgress&) = delete;
  // Clears the terminal's line.
  ~StepProgress();

  bool on_terminal() const { return terminal_ != nullptr; }

  // The next step begins, on `what` (a file's path).
  void Begin(const std::string& what);
  // What the step does at the moment ("Tabelle 2/3 TabMassen"); shown on a
  // terminal only.
  void Detail(const std::string& detail);
  // The step ended with `result` ("3 Tabellen, 4 Zeilen"); a line of its own
  // where there is no terminal.
  void End(const std::string& result);
  // Takes the line off the terminal, so that other output may follow.
  void Clear();

 private:
  void Draw(const std::string& detail);

  std::ostream* terminal_;
  int columns_;
  std::ostream* lines_;
  int total_;
  int number_ = 0;
  std::string what_;
  bool drawn_ = false;
};

}  // namespace vx::cli

#endif  // VX_CLI_STEP_PROGRESS_H_
