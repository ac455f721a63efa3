// The value forms of cls_Projekt's members: each copies its arguments into
// variables and calls the by-reference form, so that both do the same work
// by one path.

#include <string>

#include "vx_taluvek/cls_projekt.h"

namespace vx {

bool cls_Projekt::bProjektNeu(int32_t& lProjID, const std::string& sProNr,
                              bool bIsRVProj) {
  std::string number = sProNr;
  return bProjektNeu(lProjID, number, bIsRVProj);
}

bool cls_Projekt::bProjektRead(int32_t lProjID, const std::string& sProjNum) {
  std::string number = sProjNum;
  return bProjektRead(lProjID, number);
}

Variant cls_Projekt::vProjektDatenRead(const Variant& vIndexOrName) {
  Variant index_or_name = vIndexOrName;
  return vProjektDatenRead(index_or_name);
}

bool cls_Projekt::bProjektDatenWrite(const Variant& vData,
                                     const Variant& vIndexOrName) {
  Variant data = vData;
  Variant index_or_name = vIndexOrName;
  return bProjektDatenWrite(data, index_or_name);
}

bool cls_Projekt::bProjWrite(int32_t lProjID, const std::string& sProjNum) {
  std::string number = sProjNum;
  return bProjWrite(lProjID, number);
}

bool cls_Projekt::bProjektLock(int32_t lProjID, const std::string& sProjNum) {
  std::string number = sProjNum;
  return bProjektLock(lProjID, number);
}

bool cls_Projekt::bProjektUnLock(int32_t lProjID, const std::string& sProjNum) {
  std::string number = sProjNum;
  return bProjektUnLock(lProjID, number);
}

}  // namespace vx
