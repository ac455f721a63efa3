// Listing files into a list, on a real folder.

#include "files/dir_listing.h"

#include <gtest/gtest.h>

#include "files/files_test_util.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using Names = std::vector<std::string>;

TEST(DirListingTest, ReplacesTheListOrLeavesItEmptyOnFailure) {
  testing::Installation inst;
  testing::MappedDrive drive(inst);
  for (const char* name : {"b.TXT", "a.txt", "c.doc", ".hidden.txt"}) {
    drive.MakeFile(name);
  }
  drive.MakeFolder("folder.txt");

  Names names = {"stale"};
  EXPECT_EQ(DirToCollection(Variant(drive.Path("*.txt")), names), 2);
  EXPECT_EQ(names, (Names{"a.txt", "b.TXT"}));
  EXPECT_EQ(DirToCollection(Variant(drive.Path("x\\*.txt")), names), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(Err().IsSet());

  names = {"stale"};
  EXPECT_EQ(DirToCollection(Variant("Q:\\*.txt"), names), 0);  // not mapped
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(Err().Number(), 76);
  EXPECT_EQ(DirToCollection(Variant::Null(), names), 0);
  EXPECT_EQ(Err().Number(), 94);

  testing::EnterDesignMode();  // raised for the developer to see
  EXPECT_EQ(testing::RaisedNumber(
                [&] { DirToCollection(Variant("Q:\\*.txt"), names); }),
            76);
  Err().Clear();
}

}  // namespace
}  // namespace vx
