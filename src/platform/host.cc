// The process-wide host and hook set.
//
// Both are read on every host call, from any thread, while a program or a
// test may replace them.  The hooks are shared immutable sets: a caller
// copies the pointer under the mutex and may go on using its set after
// another is installed.

#include <atomic>
#include <mutex>

#include "platform/linux_host.h"

namespace vx {
namespace {

struct InstalledHooks {
  std::mutex mutex;
  std::shared_ptr<const HostHooks> hooks = std::make_shared<const HostHooks>();
};

InstalledHooks& Hooks() {
  static InstalledHooks installed;
  return installed;
}

std::atomic<Host*>& InstalledHost() {
  static std::atomic<Host*> host{nullptr};
  return host;
}

}  // namespace

void SetHostHooks(HostHooks hooks) {
  auto replacement = std::make_shared<const HostHooks>(std::move(hooks));
  InstalledHooks& installed = Hooks();
  std::lock_guard<std::mutex> lock(installed.mutex);
  installed.hooks.swap(replacement);
  // The old set is released after the lock, where its hooks' destructors
  // may take their time.
}

std::shared_ptr<const HostHooks> InstalledHostHooks() {
  InstalledHooks& installed = Hooks();
  std::lock_guard<std::mutex> lock(installed.mutex);
  return installed.hooks;
}

Host& DefaultHost() {
  static LinuxHost host;
  return host;
}

Host& CurrentHost() {
  Host* host = InstalledHost().load(std::memory_order_acquire);
  return host ? *host : DefaultHost();
}

void SetCurrentHost(Host* host) {
  InstalledHost().store(host, std::memory_order_release);
}

}  // namespace vx
