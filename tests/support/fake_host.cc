#include "support/fake_host.h"

namespace vx::testing {

FakeHost::FakeHost() { SetCurrentHost(this); }

FakeHost::~FakeHost() { SetCurrentHost(nullptr); }

int32_t FakeHost::MsgBox(const std::string& prompt, int32_t style,
                         const std::string& title) {
  message_boxes.push_back({prompt, style, title});
  return message_box_answer != 0 ? message_box_answer
                                 : DefaultButtonAnswer(style);
}

void FakeHost::Sleep(int32_t milliseconds) { sleeps.push_back(milliseconds); }

void FakeHost::SetMousePointer(int32_t pointer) {
  mouse_pointer = pointer;
  pointer_history.push_back(pointer);
}

int32_t FakeHost::GetDriveType(const std::string& path) {
  auto it = drive_types.find(path);
  if (it != drive_types.end()) return it->second;
  return LinuxHost::GetDriveType(path);
}

}  // namespace vx::testing
