// Password hashes of the user administration.
//
// A password is kept only as a yescrypt hash (libcrypt), the whole hash
// text with its method, cost and salt in one column.  Hashes of the older
// form, the SHA-256 digest (64 hex digits) of a salt text followed by the
// password with the salt in a column of its own, are still accepted, so
// that such a user can log in once and receive a yescrypt hash.

#ifndef VX_USERS_PASSWORD_HASH_H_
#define VX_USERS_PASSWORD_HASH_H_

#include <string>
#include <string_view>

namespace vx {

// A yescrypt hash of `password` with a fresh random salt and the library's
// default cost.  Raises 5 when no hash can be made.
std::string HashPassword(std::string_view password);

enum class PasswordMatch {
  kMatch,
  kMismatch,
  kMalformed,  // the stored hash is of neither form, or empty
};

// Compares `password` with the stored `hash` (and, for the older form, its
// `legacy_salt`), in time that does not depend on where they differ.
PasswordMatch CheckPassword(std::string_view password, std::string_view hash,
                            std::string_view legacy_salt);

// Whether `hash` is of the current form, so that a successful login need
// not replace it.
bool IsCurrentHash(std::string_view hash);

}  // namespace vx

#endif  // VX_USERS_PASSWORD_HASH_H_
