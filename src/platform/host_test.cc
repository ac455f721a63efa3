#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/linux_host.h"

namespace vx {
namespace {

// Leaves the process with the default host and no hooks.
class HostInstallationTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetHostHooks({});
    SetCurrentHost(nullptr);
  }
};

TEST_F(HostInstallationTest, CurrentHostIsTheInstalledOneOrTheDefault) {
  EXPECT_EQ(&CurrentHost(), &DefaultHost());
  LinuxHost other;
  SetCurrentHost(&other);
  EXPECT_EQ(&CurrentHost(), &other);
  SetCurrentHost(nullptr);
  EXPECT_EQ(&CurrentHost(), &DefaultHost());
}

TEST_F(HostInstallationTest, HooksReplaceTheDefaults) {
  std::string seen;
  int32_t pointer = 0;
  int events = 0;
  HostHooks hooks;
  hooks.message_box = [&](const std::string& prompt, int32_t style,
                          const std::string& title) {
    seen = title + "|" + prompt + "|" + std::to_string(style);
    return kMsgCancel;
  };
  hooks.get_mouse_pointer = [&] { return pointer; };
  hooks.set_mouse_pointer = [&](int32_t p) { pointer = p + 1; };
  hooks.do_events = [&] { ++events; };
  hooks.executable_name = [] { return std::string("Tarvano"); };
  SetHostHooks(std::move(hooks));

  Host& host = DefaultHost();
  EXPECT_EQ(host.MsgBox("Text", 4097, "Titel"), kMsgCancel);
  EXPECT_EQ(seen, "Titel|Text|4097");
  host.SetMousePointer(kPointerHourglass);
  EXPECT_EQ(host.GetMousePointer(), kPointerHourglass + 1);
  host.DoEvents();
  EXPECT_EQ(events, 1);
  EXPECT_EQ(host.ExecutableName(), "Tarvano");
}

// A hook set must stay alive while a call that took it runs, even when
// another thread installs a new set meanwhile (AddressSanitizer reports a
// set freed too early).
TEST_F(HostInstallationTest, HooksMayBeReplacedWhileInUse) {
  auto install = [](int i) {
    auto answer = std::make_shared<int32_t>(i % 2 ? kMsgYes : kMsgNo);
    HostHooks hooks;
    hooks.message_box = [answer](const std::string&, int32_t,
                                 const std::string&) { return *answer; };
    SetHostHooks(std::move(hooks));
  };
  install(0);
  std::atomic<bool> done{false};
  std::thread installer([&] {
    for (int i = 1; !done; ++i) install(i);
  });
  for (int i = 0; i < 20000; ++i) {
    int32_t answer = DefaultHost().MsgBox("", 0, "");
    if (answer != kMsgYes && answer != kMsgNo) {
      ADD_FAILURE() << answer;
      break;
    }
  }
  done = true;
  installer.join();
}

}  // namespace
}  // namespace vx
