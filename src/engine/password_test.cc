#include "engine/password.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/sha256.h"

namespace vx::dao {
namespace {

std::string Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string DigestOf(std::string_view message) {
  Sha256 hash;
  hash.Update(message);
  return Hex(hash.Finish());
}

TEST(EnginePassword, Sha256MatchesTheStandardsVectors) {
  EXPECT_EQ(DigestOf(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestOf("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first block.
  EXPECT_EQ(DigestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // Given in pieces that straddle blocks.
  Sha256 hash;
  const std::string piece(1000, 'a');
  for (int i = 0; i < 1000; ++i) hash.Update(piece);
  EXPECT_EQ(Hex(hash.Finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(EnginePassword, ConnectTextCarriesThePassword) {
  EXPECT_EQ(ConnectPassword(";pwd=geheim"), "geheim");
  EXPECT_EQ(ConnectPassword("ODBC; PWD =a=b;uid=x"), "a=b");
  EXPECT_EQ(ConnectPassword(";Pwd="), "");
  EXPECT_EQ(ConnectPassword(";pwd= blank "), " blank ");
  EXPECT_FALSE(ConnectPassword(""));
  EXPECT_FALSE(ConnectPassword(";uid=pwd;password=x"));
}

}  // namespace
}  // namespace vx::dao
