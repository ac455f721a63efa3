#include "vx_taluvek/components.h"

#include <map>
#include <mutex>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// Registration is machine-wide in the run time; here it is process-wide,
// so it is guarded for callers on several threads.
struct Registry {
  std::mutex mutex;
  std::map<std::string, ComponentFactory> factories;  // key: upper case
};

// Built on first use, so that defaults registering themselves from static
// initialisers of other files find it ready.
Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: see above
  return *registry;
}

}  // namespace

ComponentFactory RegisterComponent(const std::string& program_id,
                                   ComponentFactory factory) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  std::string key = UCase(program_id);
  ComponentFactory previous;
  auto it = r.factories.find(key);
  if (it != r.factories.end()) {
    previous = std::move(it->second);
    r.factories.erase(it);
  }
  if (factory) r.factories.emplace(std::move(key), std::move(factory));
  return previous;
}

ObjectRef CreateObject(const std::string& program_id) {
  ComponentFactory factory;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.factories.find(UCase(program_id));
    if (it != r.factories.end()) factory = it->second;
  }
  // The factory runs outside the lock: a component may create others.
  ObjectRef object;
  if (factory) {
    try {
      object = factory();
    } catch (const Error&) {
      object = nullptr;
    }
  }
  if (!object) Raise(429);
  return object;
}

int32_t ServerAccess::FeldInDatei(const std::string& /*destination*/,
                                  dao::Recordset& /*recordset*/,
                                  const std::string& /*field_name*/) {
  Raise(438);
}

void ServerAccess::DateiInFeld(const std::string& /*path*/, dao::Recordset& /*recordset*/,
                               const std::string& /*field_name*/) {
  Raise(438);
}

}  // namespace vx
