// The user administration the library brings along: the login dialog
// through the host's login hook, and the check of name and password
// against the user database.
//
// A wrong password makes every later attempt for that user wait, twice as
// long after each further one up to half a minute, until a login succeeds:
// the count is kept in the user database, so that a script that starts a
// new process for every guess waits as well.

#include <algorithm>
#include <memory>
#include <string>

#include "platform/linux_host.h"
#include "platform/text.h"
#include "data/sql_text.h"
#include "users/password_hash.h"
#include "users/user_database.h"
#include "users/user_records.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int32_t kFirstPauseMs = 1000;
constexpr int32_t kLongestPauseMs = 30000;

int32_t PauseAfter(int32_t failures) {
  if (failures <= 0) return 0;
  const int shift = std::min(failures - 1, 5);
  return std::min(kFirstPauseMs << shift, kLongestPauseMs);
}

// Overwrites a password before its memory is given back.
void Wipe(std::string& secret) {
  std::fill(secret.begin(), secret.end(), '\0');
  secret.clear();
}

class DefaultUserVerw : public UserVerw {
 public:
  ~DefaultUserVerw() override { Wipe(password_); }

  Variant ShowLogin(const std::string& caption) override {
    std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
    if (!hooks->login) return false;
    std::string name;
    std::string password;
    const bool confirmed = hooks->login(caption, name, password);
    if (confirmed) {
      username_ = name;
      Wipe(password_);
      password_ = password;
    }
    Wipe(password);
    return confirmed;
  }

  Variant VerifyUser() override {
    const int32_t answer = Verify();
    Wipe(password_);
    return answer;
  }

  std::string Username() override { return username_; }
  void Username(const std::string& value) override { username_ = value; }
  Variant UserId() override { return verified_id_; }

  Variant IsSuperUser() override {
    return UCase(Trim(username_)) == "SUPERUSER";
  }

  Variant IsSuperReader() override {
    DbHandle db = OpenUserDb();
    if (!db) return false;
    std::optional<UserRecord> user = FindUserByName(*db, username_);
    return user && !user->gesperrt && user->art == kBenutzerArtSuperReader;
  }

  Variant GetBenutzerArt(int32_t& user_id) override {
    DbHandle db = OpenUserDb();
    if (!db) Raise(3044, "Die Benutzerdatenbank ist nicht erreichbar");
    std::optional<UserRecord> user = FindUserById(*db, user_id);
    if (!user) Raise(3021);
    return user->art;
  }

 private:
  int32_t Verify() {
    verified_id_ = 0;
    DbHandle db = OpenUserDb();
    if (!db) return kInconsistent;
    std::optional<UserRecord> user = FindUserByName(*db, Trim(username_));
    if (!user) return kUnknownUser;
    if (user->fehlversuche > 0) {
      CurrentHost().Sleep(PauseAfter(user->fehlversuche));
    }
    // A locked user is refused like a wrong password, without the password
    // being looked at, and without telling a guesser that the name exists
    // but is locked.
    if (user->gesperrt) return kWrongPassword;
    if (SingleUserGroupOf(*db, user->id) == 0) return kInconsistent;
    const std::string id = std::to_string(user->id);
    switch (CheckPassword(password_, user->hash, user->legacy_salt)) {
      case PasswordMatch::kMalformed:
        return kInconsistent;
      case PasswordMatch::kMismatch:
        RecordFailedLogins(*db, *user, user->fehlversuche + 1);
        return kWrongPassword;
      case PasswordMatch::kMatch:
        break;
    }
    if (user->fehlversuche > 0) RecordFailedLogins(*db, *user, 0);
    if (!IsCurrentHash(user->hash)) {
      db->Execute("UPDATE [User] SET PasswortHash = " +
                  SqlText(HashPassword(password_)) +
                  ", PasswortSalz = Null WHERE Id = " + id);
    }
    username_ = user->name;
    verified_id_ = user->id;
    return kVerified;
  }

  std::string username_;
  std::string password_;
  int32_t verified_id_ = 0;
};

const bool registered = [] {
  RegisterComponent(UserVerw::kProgramId,
                    [] { return std::make_shared<DefaultUserVerw>(); });
  return true;
}();

}  // namespace

}  // namespace vx
