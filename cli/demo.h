// `taluvek demo`: a database of the suite's kind, opened the library's way,
// with one row written and read back.

#ifndef VX_CLI_DEMO_H_
#define VX_CLI_DEMO_H_

#include <string>
#include <vector>

namespace vx::cli {

// Runs the demonstration with the command's arguments after "demo".
// Returns the process exit code: 0 done, 1 failed, 2 usage error.
int RunDemo(const std::vector<std::string>& args);

}  // namespace vx::cli

#endif  // VX_CLI_DEMO_H_
