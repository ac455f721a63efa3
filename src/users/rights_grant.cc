#include "users/rights_grant.h"

#include <utility>

namespace vx {

namespace {

std::function<void(const RightsRequest&)>& Observer() {
  thread_local std::function<void(const RightsRequest&)> observer;
  return observer;
}

void Notify(const RightsRequest& request) {
  if (Observer()) Observer()(request);
}

}  // namespace

void BerechtigungVergeben(int32_t id, const std::string& typ,
                          const std::string& kuerzel, bool lesen,
                          bool schreiben, bool besitzer, bool id_ist_gruppe) {
  try {
    Notify({RightsRequest::Kind::kGrant, id, typ, kuerzel, lesen, schreiben,
            besitzer, id_ist_gruppe});
  } catch (...) {
    // A grant that cannot be made is passed over; the caller goes on.
  }
}

void RechteVererben(const std::string& typ, const std::string& kuerzel) {
  Notify({RightsRequest::Kind::kInherit, 0, typ, kuerzel, false, false, false,
          false});
}

void SetRightsObserver(std::function<void(const RightsRequest&)> observer) {
  Observer() = std::move(observer);
}

}  // namespace vx
