// Password hashes: the current form, the older one, and damaged ones.

#include "users/password_hash.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(PasswordHashTest, YescryptHashesCheckOnlyTheirPassword) {
  const std::string hash = HashPassword("Geheim!");
  EXPECT_TRUE(hash.starts_with("$y$"));
  EXPECT_TRUE(IsCurrentHash(hash));
  EXPECT_EQ(hash.find("Geheim"), std::string::npos);
  EXPECT_NE(HashPassword("Geheim!"), hash);  // a fresh salt each time
  EXPECT_EQ(CheckPassword("Geheim!", hash, ""), PasswordMatch::kMatch);
  EXPECT_EQ(CheckPassword("geheim!", hash, ""), PasswordMatch::kMismatch);
  EXPECT_EQ(CheckPassword("", hash, ""), PasswordMatch::kMismatch);
}

TEST(PasswordHashTest, OlderDigestsOfSaltAndPasswordStillCheck) {
  // SHA-256 of "c0ffee" followed by "Geheim!".
  const std::string digest =
      "1e13e99ffe43e1708160d1633af022332cc3e94a95afda3442422ea2124d602a";
  EXPECT_FALSE(IsCurrentHash(digest));
  EXPECT_EQ(CheckPassword("Geheim!", digest, "c0ffee"), PasswordMatch::kMatch);
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  EXPECT_EQ(CheckPassword("Geheim!", upper, "c0ffee"), PasswordMatch::kMatch);
  EXPECT_EQ(CheckPassword("Geheim!", digest, "c0ffef"),
            PasswordMatch::kMismatch);
  EXPECT_EQ(CheckPassword("Geheim", digest, "c0ffee"),
            PasswordMatch::kMismatch);
}

TEST(PasswordHashTest, DamagedHashesAreNoPasswordAtAll) {
  for (const char* damaged :
       {"", "Geheim!", "$y$", "$y$j9T$kaputt", "$unbekannt$abc",
        "1e13e99ffe43e1708160d1633af022332cc3e94a95afda3442422ea2124d602",
        "1e13e99ffe43e1708160d1633af022332cc3e94a95afda3442422ea2124d602x"}) {
    EXPECT_EQ(CheckPassword("Geheim!", damaged, "c0ffee"),
              PasswordMatch::kMalformed)
        << damaged;
  }
}

}  // namespace
}  // namespace vx
