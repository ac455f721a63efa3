// A program that knows the library only as its users do: the public headers
// and the shared library.  What hidden visibility could break shows here:
// exceptions caught, objects cast and components created across the
// library's boundary, and the defaults it registers when it is loaded.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/meter.h"
#include "vx_taluvek/projekt_binding.h"
#include "vx_taluvek/variant.h"

namespace vx {
namespace {

TEST(SharedLibraryTest, ErrorsRaisedInsideAreCaughtOutside) {
  try {
    CLng(Variant("keine Zahl"));
    FAIL() << "CLng took a text that is no number";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrTypeMismatch);
  }
  EXPECT_FALSE(ResumeNext([] { Raise(kErrFileNotFound); }));
  EXPECT_EQ(Err().Number(), kErrFileNotFound);
  Err().Clear();
}

TEST(SharedLibraryTest, ComponentsItRegistersAreCastOutside) {
  // The default meter, registered by the library's own initialiser.
  EXPECT_NE(CreateComponent<Meter>(), nullptr);

  auto projekt = std::dynamic_pointer_cast<Dispatch>(CreateObject(kProjektProgramId));
  ASSERT_NE(projekt, nullptr);
  EXPECT_TRUE(projekt->SupportsInterface(kProjektInterfaceId));
  std::vector<Variant> none;
  EXPECT_EQ(CLng(projekt->InvokeByName("lProjektErrNum", kInvokePropertyGet, none)), 0);
}

TEST(SharedLibraryTest, ComponentsRegisteredOutsideAreCreatedByTheLibrary) {
  class FixedKind : public ServerAccess {
   public:
    int32_t DatenbankArt() override { return 7; }
  };
  ComponentFactory before = RegisterComponent(
      ServerAccess::kProgramId, [] { return std::make_shared<FixedKind>(); });
  EXPECT_EQ(CreateComponent<ServerAccess>()->DatenbankArt(), 7);
  RegisterComponent(ServerAccess::kProgramId, before);
}

}  // namespace
}  // namespace vx
