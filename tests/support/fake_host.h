// A host for tests: the real Linux file system and settings files, but a
// user interface and a clock that the test controls and watches.

#ifndef VX_TESTS_SUPPORT_FAKE_HOST_H_
#define VX_TESTS_SUPPORT_FAKE_HOST_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux_host.h"

namespace vx::testing {

class FakeHost : public LinuxHost {
 public:
  struct MessageBox {
    std::string prompt;
    int32_t style;
    std::string title;
  };

  // Installs itself as the current host; the destructor restores the default.
  FakeHost();
  ~FakeHost() override;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Records the box and answers `message_box_answer` (0: the default button).
  int32_t MsgBox(const std::string& prompt, int32_t style,
                 const std::string& title) override;
  // Records the pause without waiting.
  void Sleep(int32_t milliseconds) override;
  void DoEvents() override { ++do_events; }
  void Beep() override { ++beeps; }
  int32_t GetMousePointer() override { return mouse_pointer; }
  void SetMousePointer(int32_t pointer) override;
  // A drive type set for a path in `drive_types` wins over the real one.
  int32_t GetDriveType(const std::string& path) override;
  std::string ExecutableName() override { return executable_name; }

  std::vector<MessageBox> message_boxes;
  int32_t message_box_answer = 0;
  std::vector<int32_t> sleeps;
  int do_events = 0;
  int beeps = 0;
  int32_t mouse_pointer = 0;
  std::vector<int32_t> pointer_history;
  std::map<std::string, int32_t> drive_types;
  std::string executable_name = "vx_test";
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_FAKE_HOST_H_
