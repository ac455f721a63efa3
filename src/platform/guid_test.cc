#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "vx_taluvek/dispatch.h"

namespace vx {
namespace {

using testing::RaisedNumber;

TEST(GuidTest, TextFormKeepsTheByteOrderAndReadsBack) {
  Guid guid;
  for (size_t i = 0; i < guid.bytes.size(); ++i) {
    guid.bytes[i] = static_cast<uint8_t>(0x10 * i + 0x0F - i);
  }
  EXPECT_EQ(guid.ToString(), "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");
  EXPECT_EQ(Guid::Parse(guid.ToString()), guid);
  EXPECT_EQ(Guid().ToString(), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTest, ParseTakesEitherCaseOfHexDigits) {
  EXPECT_EQ(Guid::Parse("{aef68cd7-8d67-4206-8f10-a4e854a38f74}"),
            Guid::Parse("{AEF68CD7-8D67-4206-8F10-A4E854A38F74}"));
}

TEST(GuidTest, ParseRefusesWhatIsNoIdentifier) {
  for (const std::string& text :
       {std::string(""), std::string("{}"),
        std::string("AEF68CD7-8D67-4206-8F10-A4E854A38F74"),     // no braces
        std::string("{AEF68CD7-8D67-4206-8F10-A4E854A38F7}"),    // too short
        std::string("{AEF68CD7-8D67-4206-8F10-A4E854A38F744}"),  // too long
        std::string("{AEF68CD78-D67-4206-8F10-A4E854A38F74}"),   // hyphen moved
        std::string("{AEF68CD7-8D67-4206-8F10-A4E854A38FG4}"),   // not hex
        std::string("{AEF68CD7-8D67-4206-8F10+A4E854A38F74}"),
        std::string("(AEF68CD7-8D67-4206-8F10-A4E854A38F74)")}) {
    EXPECT_EQ(RaisedNumber([&] { Guid::Parse(text); }), 5) << text;
  }
}

}  // namespace
}  // namespace vx
