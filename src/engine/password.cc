#include "engine/password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sqlite3.h>
#include <sys/random.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/dao_errors.h"
#include "platform/text.h"

namespace vx::dao {

namespace {

constexpr size_t kSaltBytes = 16;

using Sha256Digest = std::array<uint8_t, 32>;

struct FinalizeStatement {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

StatementPtr PrepareOrRaise(sqlite3* db, const char* sql,
                            std::string_view file) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc != SQLITE_OK) RaiseSqliteError(db, rc, sql, file);
  return StatementPtr(stmt);
}

// Steps once; true for a row, false when done.
bool StepOrRaise(sqlite3* db, sqlite3_stmt* stmt, std::string_view file) {
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  RaiseSqliteError(db, rc, sqlite3_sql(stmt), file);
}

struct FreeDigestContext {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// SHA-256 of salt and password, one after the other, as every file with a
// password keeps it.
Sha256Digest SaltedDigest(const void* salt, size_t salt_size,
                          std::string_view password) {
  // Fetched once: looking the algorithm up at each open costs more than
  // the digest of a few bytes.  (Kept for the process's life.)
  static const EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  std::unique_ptr<EVP_MD_CTX, FreeDigestContext> context(EVP_MD_CTX_new());
  Sha256Digest digest;
  unsigned int size = 0;
  if (sha256 == nullptr || !context ||
      EVP_DigestInit_ex(context.get(), sha256, nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), salt, salt_size) != 1 ||
      EVP_DigestUpdate(context.get(), password.data(), password.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1 ||
      size != digest.size()) {
    RaiseDao(kErrReserved, {"SHA-256"});
  }
  return digest;
}

}  // namespace

std::optional<std::string> ConnectPassword(std::string_view connect) {
  while (!connect.empty()) {
    size_t end = connect.find(';');
    std::string_view part = connect.substr(0, end);
    connect = end == std::string_view::npos ? std::string_view()
                                            : connect.substr(end + 1);
    size_t equals = part.find('=');
    if (equals == std::string_view::npos) continue;
    if (EqualsNoCase(Trim(part.substr(0, equals)), "pwd")) {
      return std::string(part.substr(equals + 1));
    }
  }
  return std::nullopt;
}

void StorePassword(sqlite3* db, std::string_view password,
                   std::string_view file) {
  auto exec = [&](const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) RaiseSqliteError(db, rc, sql, file);
  };
  exec("DROP TABLE IF EXISTS vx_password");
  if (password.empty()) return;
  exec("CREATE TABLE vx_password (salt BLOB NOT NULL, digest BLOB NOT NULL)");

  std::array<uint8_t, kSaltBytes> salt;
  if (getrandom(salt.data(), salt.size(), 0) !=
      static_cast<ssize_t>(salt.size())) {
    RaiseDao(kErrReserved, {"getrandom"});
  }
  Sha256Digest digest = SaltedDigest(salt.data(), salt.size(), password);
  StatementPtr insert = PrepareOrRaise(
      db, "INSERT INTO vx_password (salt, digest) VALUES (?, ?)", file);
  sqlite3_bind_blob(insert.get(), 1, salt.data(), salt.size(), SQLITE_STATIC);
  sqlite3_bind_blob(insert.get(), 2, digest.data(), digest.size(),
                    SQLITE_STATIC);
  StepOrRaise(db, insert.get(), file);
}

bool PasswordAccepts(sqlite3* db, std::string_view connect,
                     std::string_view file) {
  // A database without the table has no password.  (Asked of the schema
  // in memory; SQLITE_ERROR means no such table, anything else a failure.)
  const int found = sqlite3_table_column_metadata(
      db, "main", "vx_password", nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr);
  if (found == SQLITE_ERROR) return true;
  if (found != SQLITE_OK) RaiseSqliteError(db, found, "", file);

  StatementPtr stored =
      PrepareOrRaise(db, "SELECT salt, digest FROM vx_password", file);
  if (!StepOrRaise(db, stored.get(), file)) return true;
  const void* salt = sqlite3_column_blob(stored.get(), 0);
  const size_t salt_size = static_cast<size_t>(sqlite3_column_bytes(stored.get(), 0));
  const void* digest = sqlite3_column_blob(stored.get(), 1);
  const size_t digest_size = static_cast<size_t>(sqlite3_column_bytes(stored.get(), 1));
  if (digest == nullptr || digest_size != Sha256Digest().size()) return false;

  std::optional<std::string> given = ConnectPassword(connect);
  Sha256Digest computed =
      SaltedDigest(salt != nullptr ? salt : "", salt != nullptr ? salt_size : 0,
                   given.value_or(""));
  // Compared in a time that does not tell how much of it matched.
  bool matches = CRYPTO_memcmp(computed.data(), digest, computed.size()) == 0;
  return matches && given.has_value();
}

}  // namespace vx::dao
