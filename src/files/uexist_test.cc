// The existence test on real folders, with a host that counts the waits,
// and on a database server through a server access double.

#include "files/uexist.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "files/files_test_util.h"
#include "files/zugriff_slow.h"
#include "support/fake_host.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::RunInFreshThread;
using Sleeps = std::vector<int32_t>;

// The pauses of a missing file probed without `quick`: after the first
// failed length, the rest of a time slice, and between the three attempts
// at the attributes.
const Sleeps kFullProbe = {1, 0, 1, 1};

class UexistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.MakeFile("Daten\\P.VX3DB");
    drive.MakeFile("Daten\\README");
    drive.MakeFile("Daten\\Leer.txt", "");
    drive.MakeFolder("Daten\\Ordner");
  }

  void SetAccessSpeed(const std::string& level) {
    inst.WriteSettings("[SYS]\nZugriff_Slow=" + level + "\n");
    State().nZugriffSlow = 0;
  }

  // Uexist of T:\`relative`, with the host's counters reset first.
  bool Exists(const std::string& relative, bool directory = false,
              bool quick = false) {
    host.sleeps.clear();
    host.do_events = 0;
    bool present = Uexist(drive.Path(relative), directory, false, quick);
    EXPECT_FALSE(Err().IsSet());
    return present;
  }

  testing::Installation inst;
  testing::MappedDrive drive{inst};
  testing::FakeHost host;
};

TEST_F(UexistTest, FilesFoldersAndTheDirectoryFlag) {
  EXPECT_TRUE(Exists("DATEN\\p.vx3db"));
  EXPECT_TRUE(host.sleeps.empty());
  EXPECT_TRUE(Exists("Daten\\Leer.txt"));  // missed by its length, not after
  EXPECT_EQ(host.sleeps, Sleeps{0});
  EXPECT_TRUE(Exists("Daten\\Ordner", true));
  EXPECT_FALSE(Exists("Daten\\"));
  EXPECT_FALSE(Exists("Daten\\Ordner"));  // a folder is no file
  EXPECT_FALSE(Exists("Daten\\Fehlt.VX3DB"));
  EXPECT_EQ(host.sleeps, kFullProbe);
  EXPECT_FALSE(Exists("Daten\\Fehlt", true));
  EXPECT_EQ(host.sleeps, (Sleeps{1, 1}));
  // The directory flag on a file: answered for a name with an extension.
  EXPECT_TRUE(Exists("Daten\\P.VX3DB", true));
  EXPECT_FALSE(Exists("Daten\\README", true));
  EXPECT_TRUE(host.message_boxes.empty());

  testing::EnterDesignMode();
  EXPECT_FALSE(Exists("Daten\\"));
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Optionaler Param kam dazu für Directories");
}

TEST_F(UexistTest, DeveloperModeAsksToCorrectTheDirectoryFlag) {
  testing::WriteFile(inst.File("Tarvano32.lic"), "");
  const std::string file = drive.Path("Daten\\P.VX3DB");
  RunInFreshThread([&] {
    bool quick = false;
    EXPECT_TRUE(Uexist(file, true, false, quick));
  });
  ASSERT_EQ(host.message_boxes.size(), 2u);
  EXPECT_EQ(host.message_boxes[1].prompt,
            file + "\nAber den File gibt es!\n<Uexist> bringt nun trotzdem "
                   "True zurück - 2. Param ändern!!!");
  EXPECT_EQ(host.message_boxes[1].title, "bIstEntwicklung");
}

TEST_F(UexistTest, LoneDriveLettersNameTheRootOfTheirDrive) {
  drive.MakeFolder("Laufwerk C");
  drive.Map("C:", "Laufwerk C");
  bool quick = false;
  EXPECT_TRUE(Uexist("c", true, false, quick));
  EXPECT_FALSE(Uexist("c", false, false, quick));  // a root is no file
  drive.Map("C:", "kein Ordner");
  EXPECT_FALSE(Uexist("c:", true, false, quick));
}

TEST_F(UexistTest, AccessSpeedDecidesHowQuickATestIs) {
  const std::pair<const char*, int16_t> levels[] = {
      {"abc", 1}, {"-2", 2}, {"2.6", 3}, {"1e999", 32767}};
  for (const auto& [setting, level] : levels) {
    SetAccessSpeed(setting);
    ReadZugriffSlow();
    EXPECT_EQ(State().nZugriffSlow, level) << setting;
  }

  SetAccessSpeed("1");  // a quick test is a directory listing, or two
  EXPECT_TRUE(Exists("daten\\P.VX3DB", false, true));
  EXPECT_EQ(host.do_events, 0);
  EXPECT_FALSE(Exists("Daten\\Fehlt.VX3DB", false, true));
  EXPECT_TRUE(host.sleeps.empty());
  EXPECT_EQ(host.do_events, 1);

  SetAccessSpeed("2");  // the length is probed, once retried
  bool quick = true;
  EXPECT_FALSE(Uexist(drive.Path("Daten\\Fehlt.VX3DB"), false, false, quick));
  EXPECT_EQ(host.sleeps, Sleeps{1});
  EXPECT_TRUE(quick);

  SetAccessSpeed("3");  // never quick, also for the caller
  host.sleeps.clear();
  EXPECT_FALSE(Uexist(drive.Path("Daten\\Fehlt.VX3DB"), false, false, quick));
  EXPECT_EQ(host.sleeps, kFullProbe);
  EXPECT_FALSE(quick);
}

TEST_F(UexistTest, PatternsAreAnsweredByListing) {
  EXPECT_TRUE(Exists("Daten\\*.vx3db"));
  EXPECT_FALSE(Exists("Daten\\*.xls"));
  EXPECT_EQ(host.do_events, 1);
  EXPECT_FALSE(Exists("Daten\\O*"));  // folders do not count
  // The listing decides a pattern unless quick.
  EXPECT_TRUE(UexistCore(Variant(drive.Path("Daten\\?.VX3DB")), false, false));
  EXPECT_FALSE(UexistCore(Variant(drive.Path("Daten\\?.VX3DB")), false, true));
}

TEST_F(UexistTest, FailuresEndInFalseWithoutAPendingError) {
  Err().Set(5);  // an error the caller left pending does not disturb it
  EXPECT_TRUE(Exists("Daten\\P.VX3DB"));
  bool quick = true;
  for (const char* path : {"", "Q:\\unmapped.txt", "Q:\\*.txt"}) {
    EXPECT_FALSE(Uexist(path, false, false, quick)) << path;
  }
  EXPECT_FALSE(UexistCore(Variant::Null(), false, false));
  EXPECT_FALSE(Err().IsSet());
}

class FixedServerAccess : public ServerAccess {
 public:
  int32_t DatenbankArt() override { return 2; }
};

TEST_F(UexistTest, OnADatabaseServer) {
  ComponentFactory previous =
      RegisterComponent(ServerAccess::kProgramId,
                        [] { return std::make_shared<FixedServerAccess>(); });
  inst.WriteSettings("[Datei Verzeichnisse]\nLBSKIZZE=T:\\Skizzen\n");
  for (const char* name : {"Skizzen\\S.VX3DB", "Daten\\B.VX3BR", "Daten\\V.VX3L1",
                           "Daten\\~KV1.VX3LV", "Daten\\T.exe", "Daten\\P.Ini"}) {
    drive.MakeFile(name);
  }
  // The server kind is kept per thread: each test runs on a new one.
  auto on_server = [&](const std::string& relative, bool directory = false,
                       bool local = false) {
    bool present = false;
    RunInFreshThread([&] {
      bool quick = false;
      present = Uexist(drive.Path(relative), directory, local, quick);
    });
    return present;
  };
  // Shared databases are there without a probe; the server's stores hold
  // none of the others, though the disk does.
  EXPECT_TRUE(on_server("Nirgends\\projekt.vx3db"));
  for (const char* name : {"Daten\\B.VX3BR", "Daten\\V.VX3L1",
                           "Skizzen\\S.VX3DB", "Daten\\P.VX3DB"}) {
    EXPECT_FALSE(on_server(name)) << name;
  }
  // Programs, temporary copies, folders and local tests use the disk.
  for (const char* name : {"Daten\\T.exe", "Daten\\P.Ini", "Daten\\~KV1.VX3LV"}) {
    EXPECT_TRUE(on_server(name)) << name;
  }
  EXPECT_FALSE(on_server("Daten\\~KV2.VX3LV"));
  EXPECT_TRUE(on_server("Daten\\P.VX3DB", false, true));
  EXPECT_FALSE(on_server("Nirgends\\PROJEKT.VX3DB", false, true));
  EXPECT_TRUE(host.message_boxes.empty());  // LBSKIZZE was found

  // An installation without sketches: no key, and no installation error
  // box at every test.
  inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=T:\\Daten\n");
  for (const char* name : {"Skizzen\\S.VX3DB", "Daten\\P.VX3DB"}) {
    EXPECT_FALSE(on_server(name)) << name;
  }
  EXPECT_TRUE(on_server("Daten\\~KV1.VX3LV"));
  EXPECT_TRUE(host.message_boxes.empty());
  RegisterComponent(ServerAccess::kProgramId, previous);
}

}  // namespace
}  // namespace vx
