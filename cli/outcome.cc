#include "cli/outcome.h"

#include "cli/value_text.h"

namespace vx::cli {

void ReportFalse(std::ostream& err, const std::string& command,
                 const std::string& operation, int32_t error_number,
                 const std::string& error_text) {
  err << command << ": " << operation << " hat False ergeben\n"
      << "lProjektErrNum = " << error_number << "\n"
      << "sProjektErrText = " << PlainText(Variant(error_text)) << "\n";
}

}  // namespace vx::cli
