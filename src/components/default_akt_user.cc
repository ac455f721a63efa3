// The current-user class the library brings along: one name and id for the
// whole process, so that a login made through one component of the suite
// is taken over by every other.

#include <memory>
#include <mutex>
#include <string>

#include "vx_taluvek/components.h"

namespace vx {

namespace {

struct ProcessUser {
  std::mutex mutex;
  std::string name;
  int32_t id = 0;
};

ProcessUser& TheUser() {
  static ProcessUser* user = new ProcessUser;  // lives as long as the process
  return *user;
}

class DefaultAktUser : public AktUser {
 public:
  std::string Name() override {
    std::lock_guard<std::mutex> lock(TheUser().mutex);
    return TheUser().name;
  }
  void Name(const std::string& value) override {
    std::lock_guard<std::mutex> lock(TheUser().mutex);
    TheUser().name = value;
  }
  int32_t Id() override {
    std::lock_guard<std::mutex> lock(TheUser().mutex);
    return TheUser().id;
  }
  void Id(int32_t value) override {
    std::lock_guard<std::mutex> lock(TheUser().mutex);
    TheUser().id = value;
  }
};

const bool registered = [] {
  RegisterComponent(AktUser::kProgramId,
                    [] { return std::make_shared<DefaultAktUser>(); });
  return true;
}();

}  // namespace

}  // namespace vx
