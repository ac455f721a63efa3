#include "vx_taluvek/components.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "vx_taluvek/error.h"

namespace vx {
namespace {

class Probe : public Object {
 public:
  explicit Probe(int value) : id(value) {}
  int id;
};

TEST(ComponentsTest, UnknownProgramIdRaises429) {
  try {
    CreateObject("vx_Nirgends.Niemand");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 429);
    EXPECT_EQ(e.description(), "ActiveX component can't create object");
  }
}

TEST(ComponentsTest, RegisterReplaceAndRestore) {
  ComponentFactory none =
      RegisterComponent("Test.Probe", [] { return std::make_shared<Probe>(1); });
  EXPECT_FALSE(none);
  // Identifiers are compared without regard to case.
  auto probe = std::dynamic_pointer_cast<Probe>(CreateObject("TEST.probe"));
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->id, 1);

  ComponentFactory first =
      RegisterComponent("test.PROBE", [] { return std::make_shared<Probe>(2); });
  EXPECT_EQ(std::dynamic_pointer_cast<Probe>(CreateObject("Test.Probe"))->id, 2);
  RegisterComponent("Test.Probe", first);
  EXPECT_EQ(std::dynamic_pointer_cast<Probe>(CreateObject("Test.Probe"))->id, 1);

  RegisterComponent("Test.Probe", nullptr);
  EXPECT_THROW(CreateObject("Test.Probe"), Error);
}

TEST(ComponentsTest, FailingFactoryRaises429) {
  RegisterComponent("Test.Failing", []() -> ObjectRef { Raise(7); });
  RegisterComponent("Test.Nothing", []() -> ObjectRef { return nullptr; });
  for (const char* id : {"Test.Failing", "Test.Nothing"}) {
    try {
      CreateObject(id);
      FAIL() << id;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 429) << id;
    }
  }
  RegisterComponent("Test.Failing", nullptr);
  RegisterComponent("Test.Nothing", nullptr);
}

TEST(ComponentsTest, FactoryMayCreateOtherComponents) {
  RegisterComponent("Test.Inner", [] { return std::make_shared<Probe>(3); });
  RegisterComponent("Test.Outer", [] { return CreateObject("Test.Inner"); });
  EXPECT_EQ(std::dynamic_pointer_cast<Probe>(CreateObject("Test.Outer"))->id, 3);
  RegisterComponent("Test.Inner", nullptr);
  RegisterComponent("Test.Outer", nullptr);
}

TEST(ComponentsTest, SeveralThreadsCreateAtOnce) {
  RegisterComponent("Test.Shared", [] { return std::make_shared<Probe>(4); });
  std::vector<std::thread> threads;
  std::atomic<int> created{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        if (CreateObject("Test.Shared")) ++created;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(created, 4000);
  RegisterComponent("Test.Shared", nullptr);
}

}  // namespace
}  // namespace vx
