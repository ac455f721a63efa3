// The error dialog wrapper: suppression of dismissed messages, answers
// passed on, and the dialog the library brings along.

#include "config/error_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/components.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::RunInFreshThread;

// A dialog double that answers from a script and records what it showed.
class ScriptedDialog : public FehlerDialog {
 public:
  struct Shown {
    std::string title, message;
    int32_t number;
    bool no_further;
  };
  static inline std::vector<Shown> shown;
  static inline std::vector<int32_t> answers;

  void SetNoVisibleNextMsg(bool value) override { no_further_ = value; }
  int32_t EMW(const std::string& title, const std::string& message,
              const PendingError& error) override {
    shown.push_back({title, message, error.Number(), no_further_});
    int32_t answer = answers.empty() ? 0 : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  }
  void ErrorMsg(const std::string& title, const std::string& message,
                const PendingError& error) override {
    shown.push_back({title, message, error.Number(), no_further_});
  }

 private:
  bool no_further_ = false;
};

class ErrorDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedDialog::shown.clear();
    ScriptedDialog::answers.clear();
    previous_ = RegisterComponent(FehlerDialog::kProgramId, [] {
      return std::make_shared<ScriptedDialog>();
    });
  }
  void TearDown() override {
    RegisterComponent(FehlerDialog::kProgramId, previous_);
  }

  ComponentFactory previous_;
};

TEST_F(ErrorDialogTest, MessageAnsweredWithTwoIsNotShownAgain) {
  RunInFreshThread([] {
    ScriptedDialog::answers = {2, 1, 4};
    PendingError error;
    EXPECT_EQ(ShowErrorEMW(error, "A", "T", false, 0), 2);
    EXPECT_EQ(LastSuppressedMessage(), "A");
    EXPECT_EQ(ShowErrorEMW(error, "A", "T", false, 0), 2);  // not shown
    EXPECT_EQ(ScriptedDialog::shown.size(), 1u);
    EXPECT_EQ(ShowErrorEMW(error, "B", "T", false, 0), 1);  // another text
    EXPECT_EQ(LastSuppressedMessage(), "");
    EXPECT_EQ(ShowErrorEMW(error, "A", "T", false, 0), 4);  // shown again
    EXPECT_EQ(ScriptedDialog::shown.size(), 3u);
  });
}

TEST_F(ErrorDialogTest, ErrorNumberAndFlagReachTheDialog) {
  PendingError error;
  ShowErrorEMW(error, "m", "t", true, 53);
  EXPECT_EQ(error.Number(), 53);
  EXPECT_EQ(error.Description(), "File not found");
  ShowErrorMsg(error, "d", "Design", false, 0);
  ASSERT_EQ(ScriptedDialog::shown.size(), 2u);
  EXPECT_EQ(ScriptedDialog::shown[0].number, 53);
  EXPECT_TRUE(ScriptedDialog::shown[0].no_further);
  EXPECT_EQ(ScriptedDialog::shown[1].title, "Design");
  EXPECT_FALSE(ScriptedDialog::shown[1].no_further);
}

TEST_F(ErrorDialogTest, WithoutADialogNothingIsShownAndNothingRetried) {
  RegisterComponent(FehlerDialog::kProgramId, nullptr);
  PendingError error;
  EXPECT_EQ(ShowErrorEMW(error, "m", "t", false, 5), 0);
  ShowErrorMsg(error, "m", "t", false, 0);
}

TEST(DefaultErrorDialogTest, AsksThroughTheMessageBoxAndPassesTheAnswerOn) {
  FakeHost host;
  PendingError error;
  error.Set(76);
  RunInFreshThread([&] {
    host.message_box_answer = kMsgRetry;
    EXPECT_EQ(ShowErrorEMW(error, "\nbeim Test", "Titel", false, 0), 4);
    host.message_box_answer = kMsgIgnore;  // "do not show again"
    EXPECT_EQ(ShowErrorEMW(error, "\nbeim Test", "Titel", false, 0), 2);
    host.message_box_answer = 0;  // the default button: abort
    EXPECT_EQ(ShowErrorEMW(error, "\nanders", "", false, 0), kMsgAbort);
  });
  ASSERT_EQ(host.message_boxes.size(), 3u);
  EXPECT_EQ(host.message_boxes[0].prompt, "Fehler 76: Path not found\nbeim Test");
  EXPECT_EQ(host.message_boxes[0].title, "Titel");
  EXPECT_EQ(host.message_boxes[2].title, "Fehler");
}

}  // namespace
}  // namespace vx
