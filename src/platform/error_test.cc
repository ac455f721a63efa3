#include "vx_taluvek/error.h"

#include <gtest/gtest.h>

#include <thread>

namespace vx {
namespace {

TEST(ErrorTest, StandardDescriptions) {
  EXPECT_EQ(StandardDescription(9), "Subscript out of range");
  EXPECT_EQ(StandardDescription(91),
            "Object variable or With block variable not set");
  EXPECT_EQ(StandardDescription(94), "Invalid use of Null");
  EXPECT_EQ(StandardDescription(12345),
            "Application-defined or object-defined error");
  Error e(53);
  EXPECT_EQ(e.description(), "File not found");
  EXPECT_EQ(e.source(), kLibrarySource);
  EXPECT_STREQ(e.what(), "File not found");
}

TEST(ErrorTest, PendingErrorSetClearRaise) {
  PendingError& err = Err();
  err.Clear();
  err.Set(13);
  EXPECT_EQ(err.Number(), 13);
  EXPECT_EQ(err.Description(), "Type mismatch");
  err.Set(3024, "Could not find file 'x'.", "DAO.DBEngine");
  try {
    err.Raise();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3024);
    EXPECT_EQ(e.description(), "Could not find file 'x'.");
    EXPECT_EQ(e.source(), "DAO.DBEngine");
  }
  err.Set(0);
  EXPECT_FALSE(err.IsSet());
  EXPECT_EQ(err.Description(), "");
}

TEST(ErrorTest, ResumeNextLeavesTheErrorPendingAndGoesOn) {
  Err().Clear();
  int steps = 0;
  EXPECT_FALSE(ResumeNext([&] { ++steps; Raise(6); }));
  EXPECT_TRUE(ResumeNext([&] { ++steps; }));
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(Err().Number(), 6);  // a later good step does not clear it
  EXPECT_EQ(ResumeNextValue<int>([]() -> int { Raise(11); }, -1), -1);
  EXPECT_EQ(Err().Number(), 11);
  Err().Clear();
}

TEST(ErrorTest, PendingErrorIsPerThread) {
  Err().Set(5);
  std::thread([] { EXPECT_FALSE(Err().IsSet()); Err().Set(9); }).join();
  EXPECT_EQ(Err().Number(), 5);
  Err().Clear();
}

}  // namespace
}  // namespace vx
