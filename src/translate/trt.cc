#include "translate/trt.h"

namespace vx {

std::string TRT(const std::string& text, std::string& /*sprache*/,
                std::string& /*anwendung*/, bool& /*nicht_aufnehmen*/,
                std::string& /*kundenschluessel*/, int32_t& /*kundennummer*/) {
  return text;
}

std::string TRT(const std::string& text) {
  std::string sprache, anwendung, kundenschluessel;
  bool nicht_aufnehmen = false;
  int32_t kundennummer = 0;
  return TRT(text, sprache, anwendung, nicht_aufnehmen, kundenschluessel,
             kundennummer);
}

}  // namespace vx
