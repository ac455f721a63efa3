#include "users/password_hash.h"

#include <crypt.h>
#include <openssl/evp.h>
#include <string.h>

#include <cstdlib>
#include <memory>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr const char* kYescryptPrefix = "$y$";
constexpr size_t kLegacyDigestHexDigits = 64;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

bool EqualInConstantTime(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

// crypt_ra of `password` with `setting` (a salt or a whole hash); "" when
// the setting is refused.  The work area, which holds the password's
// traces, is wiped before it is freed.
std::string Crypt(std::string_view password, const std::string& setting) {
  const std::string phrase(password);
  void* data = nullptr;
  int size = 0;
  const char* out = crypt_ra(phrase.c_str(), setting.c_str(), &data, &size);
  std::string result = (out != nullptr && out[0] != '*') ? out : "";
  if (data != nullptr) {
    explicit_bzero(data, static_cast<size_t>(size));
    std::free(data);
  }
  return result;
}

// SHA-256 of salt and password in hexadecimal digits; "" when the digest
// cannot be made, which matches no stored hash.
std::string LegacyDigest(std::string_view password, std::string_view salt) {
  const std::string input = std::string(salt) + std::string(password);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_sha256(),
                 nullptr) != 1) {
    return "";
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    const uint8_t byte = digest[i];
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

}  // namespace

std::string HashPassword(std::string_view password) {
  std::unique_ptr<char, FreeDeleter> salt(
      crypt_gensalt_ra(kYescryptPrefix, 0, nullptr, 0));
  if (!salt) Raise(5, "Kein Passwort-Salz erhältlich");
  std::string hash = Crypt(password, salt.get());
  if (hash.empty()) Raise(5, "Das Passwort kann nicht verschlüsselt werden");
  return hash;
}

PasswordMatch CheckPassword(std::string_view password, std::string_view hash,
                            std::string_view legacy_salt) {
  if (hash.starts_with("$")) {
    if (crypt_checksalt(std::string(hash).c_str()) != CRYPT_SALT_OK) {
      return PasswordMatch::kMalformed;
    }
    // A stored text without its hash part, or cut short, gives a hash of
    // another length.
    std::string computed = Crypt(password, std::string(hash));
    if (computed.size() != hash.size()) return PasswordMatch::kMalformed;
    return EqualInConstantTime(computed, hash) ? PasswordMatch::kMatch
                                               : PasswordMatch::kMismatch;
  }
  if (hash.size() != kLegacyDigestHexDigits ||
      hash.find_first_not_of("0123456789abcdefABCDEF") !=
          std::string_view::npos) {
    return PasswordMatch::kMalformed;
  }
  return EqualInConstantTime(LegacyDigest(password, legacy_salt),
                             LCase(std::string(hash)))
             ? PasswordMatch::kMatch
             : PasswordMatch::kMismatch;
}

bool IsCurrentHash(std::string_view hash) {
  return hash.starts_with(kYescryptPrefix);
}

}  // namespace vx
