// Documents kept in the server's table VXFiles: stored, found, written out
// and deleted, whatever their names hold, their bytes intact.

#include "files/server_file_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "data/connections.h"
#include "engine/database.h"
#include "engine/recordset.h"
#include "files/file_copy.h"
#include "files/file_delete.h"
#include "files/files_test_util.h"
#include "files/server_copy.h"
#include "files/uexist.h"
#include "files/server_files_test_util.h"
#include "server/server_test_util.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;

std::string Bytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x);
  }
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class ServerFileStoreTest : public testing::ServerInstallationTest {
 protected:
  // What the server holds for the document: its size, or "none".
  std::string Stored(const std::string& name, const std::string& type) {
    return Query(
        "SELECT coalesce((SELECT coalesce(length(dateiblob)::text, 'null') FROM vxfiles "
        "WHERE dateiname = " + Literal(name) + " AND dateityp = " + Literal(type) + "), 'none')");
  }
  static std::string Literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
  }

  // Stores `bytes` as `name`, writes it out again and compares.
  void RoundTrip(const std::string& name, const std::string& bytes) {
    const std::string local = drive_.Path(name);
    WriteFile(drive_.HostPath(name), bytes);
    std::string stored_name;
    ASSERT_TRUE(Server_FileEinlagern(local, "TEXTE", stored_name, false)) << name;
    EXPECT_EQ(stored_name, name);
    EXPECT_TRUE(Server_FileExistsInVXFiles("T:\\Briefe\\" + name, "TEXTE"));
    const std::string out = "out_" + std::to_string(bytes.size());
    EXPECT_EQ(Server_FileAuslagern(local, "TEXTE", drive_.Path(out)), "1");
    EXPECT_TRUE(ReadFile(drive_.HostPath(out)) == bytes) << name << " " << bytes.size();
    EXPECT_EQ(Stored(name, "TEXTE"), std::to_string(bytes.size()));
  }

  testing::MappedDrive drive_{inst_};
};

TEST_F(ServerFileStoreTest, DocumentsOfEverySizeComeBackByteForByte) {
  RoundTrip("leer.VX3BR", "");
  RoundTrip("eins.VX3BR", "x");
  RoundTrip("mittel.PDF", Bytes((3 << 20) + 17, 1));  // several pieces and a rest
}

// Streamed both ways in pieces: a few seconds, and never the whole
// document in memory twice.
TEST_F(ServerFileStoreTest, HundredMegabytes) {
  RoundTrip("gross.PDF", Bytes(100 << 20, 2));
}

// The name ends up inside the statements: an apostrophe must not end the
// text early.
TEST_F(ServerFileStoreTest, ANameWithAnApostropheIsStoredFoundWrittenOutAndDeleted) {
  RoundTrip("O'Neil.VX3BR", "Brief an O'Neil");
  EXPECT_FALSE(Server_FileExistsInVXFiles("O'Neil.VX3BR", "ATX"));
  bool recycle = false;
  EXPECT_TRUE(UnserKill("T:\\Briefe\\O'Neil.VX3BR", false, recycle, false));
  EXPECT_EQ(Stored("O'Neil.VX3BR", "TEXTE"), "none");
  EXPECT_FALSE(Server_FileExistsInVXFiles("O'Neil.VX3BR", "TEXTE"));
}

TEST_F(ServerFileStoreTest, NameAndTypeTellDocumentsApartAndStoringAgainReplaces) {
  const std::string local = drive_.Path("a.VX3AT");
  WriteFile(drive_.HostPath("a.VX3AT"), "erste");
  std::string name = "Brief.VX3BR";
  ASSERT_TRUE(Server_FileEinlagern(local, "TEXTE", name, false));
  WriteFile(drive_.HostPath("a.VX3AT"), "zweite Fassung");
  ASSERT_TRUE(Server_FileEinlagern(local, "TEXTE", name, false));
  WriteFile(drive_.HostPath("a.VX3AT"), "andere Art");
  ASSERT_TRUE(Server_FileEinlagern(local, "ATX", name, true));
  bool quick = false;
  EXPECT_FALSE(Uexist(local, false, true, quick)) << "deleted after storing";
  EXPECT_EQ(server::RunForValue(server_->Superuser().get(),
                                "SELECT count(*) FROM vxfiles WHERE dateiname = 'Brief.VX3BR'"),
            "2");

  // Without a target the document goes to the path asked about.
  const std::string asked = drive_.Path("Brief.VX3BR");
  EXPECT_EQ(Server_FileAuslagern(asked, "TEXTE", ""), "1");
  EXPECT_EQ(ReadFile(drive_.HostPath("Brief.VX3BR")), "zweite Fassung");
  EXPECT_EQ(Server_FileAuslagern(asked, "ATX", drive_.Path("anders")), "1");
  EXPECT_EQ(ReadFile(drive_.HostPath("anders")), "andere Art");
  EXPECT_EQ(ReadFile(drive_.HostPath("Brief.VX3BR")), "zweite Fassung");
  EXPECT_EQ(Server_FileAuslagern(asked, "ETX", drive_.Path("anders")), "");
  EXPECT_EQ(ReadFile(drive_.HostPath("anders")), "andere Art");
}

TEST_F(ServerFileStoreTest, AMissingLocalFileOrServerStoresNothing) {
  std::string name;
  EXPECT_FALSE(Server_FileEinlagern(drive_.Path("fehlt.VX3BR"), "TEXTE", name, false));
  EXPECT_EQ(Stored("fehlt.VX3BR", "TEXTE"), "none");

  const std::string local = drive_.Path("da.VX3BR");
  WriteFile(drive_.HostPath("da.VX3BR"), "x");
  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=host=/nonexistent dbname=x\n");
  EXPECT_FALSE(Server_FileEinlagern(local, "TEXTE", name, false));
  EXPECT_FALSE(Server_FileExistsInVXFiles(local, "TEXTE"));
  EXPECT_EQ(Server_FileAuslagern(local, "TEXTE", ""), "");
  EXPECT_FALSE(Err().IsSet());
}

TEST_F(ServerFileStoreTest, OutsideServerModeNothingHappens) {
  inst_.WriteSettings("[Server]\nDatenbankArt=0\n");
  testing::RunInFreshThread([&] {
    const std::string local = drive_.Path("lokal.VX3BR");
    WriteFile(drive_.HostPath("lokal.VX3BR"), "x");
    std::string name;
    EXPECT_FALSE(Server_FileEinlagern(local, "TEXTE", name, true));
    EXPECT_EQ(name, "");
    EXPECT_EQ(ReadFile(drive_.HostPath("lokal.VX3BR")), "x");
    EXPECT_EQ(Server_FileAuslagern(local, "TEXTE", ""), "");
  });
  EXPECT_EQ(Stored("lokal.VX3BR", "TEXTE"), "none");
}

// A document is stored in one transaction with its record: when its bytes
// cannot all be read, the previous document stays.
TEST_F(ServerFileStoreTest, AFailedStoreLeavesThePreviousDocument) {
  const std::string local = drive_.Path("Plan.PDF");
  WriteFile(drive_.HostPath("Plan.PDF"), "alt");
  std::string name;
  ASSERT_TRUE(Server_FileEinlagern(local, "TEXTE", name, false));

  Variant connect(kBareConnect);
  DbHandle db = OpenDb("Dummy.VX3DB", false, Variant(false), connect, true);
  auto rs = db->OpenRecordset("Select Dateiname, Dateityp from VXFiles");
  rs->Edit();
  rs->Fields()["Dateityp"].SetValue(Variant("TEXTE"));
  rs->Update();
  int pieces = 0;
  EXPECT_THROW(rs->LoadField("DateiBLOB", 3 << 20,
                             [&](char* buffer, size_t wanted) -> size_t {
                               if (++pieces == 2) Raise(75);
                               std::fill(buffer, buffer + wanted, 'n');
                               return wanted;
                             }),
               Error);
  EXPECT_EQ(Stored("Plan.PDF", "TEXTE"), "3");
  // A file shorter than announced fails as well.
  EXPECT_THROW(rs->LoadField("DateiBLOB", 10, [](char*, size_t) -> size_t { return 0; }),
               Error);
  EXPECT_EQ(Stored("Plan.PDF", "TEXTE"), "3");
  // The recordset goes on working after the failures.
  rs->LoadField("DateiBLOB", 2, [](char* buffer, size_t) -> size_t {
    buffer[0] = 'o', buffer[1] = 'k';
    return 2;
  });
  EXPECT_EQ(Stored("Plan.PDF", "TEXTE"), "2");
  rs->Close();
  CloseDb(db);
}

// A copy of a letter on a server installation is a copy in the store: the
// bytes travel through a temporary file of the copy's own, which is gone
// afterwards, and a user's file of the letter's name in the temporary
// folder is left alone.
TEST_F(ServerFileStoreTest, CopyingALetterCopiesItsStoredDocument) {
  drive_.MakeFile("temp\\Brief.VX3BR", "die eigene Fassung");
  testing::ScopedEnv temp("TEMP", drive_.Path("temp"));
  const std::string bytes = Bytes(70001, 3);
  WriteFile(drive_.HostPath("Brief.VX3BR"), bytes);
  std::string name;
  ASSERT_TRUE(Server_FileEinlagern(drive_.Path("Brief.VX3BR"), "TEXTE", name, true));

  std::string target = "T:\\Q\\O'Neil.VX3BR";
  int32_t status = 0;
  UFileCopy("T:\\P\\Brief.VX3BR", target, status, CopyFlags{});
  EXPECT_EQ(status, kCopyDone);
  EXPECT_EQ(Server_FileAuslagern("O'Neil.VX3BR", "TEXTE", drive_.Path("kopie")), "1");
  EXPECT_TRUE(ReadFile(drive_.HostPath("kopie")) == bytes);
  EXPECT_EQ(Stored("Brief.VX3BR", "TEXTE"), std::to_string(bytes.size()));
  EXPECT_EQ(FilesIn(drive_.HostPath("temp")), std::vector<std::string>{"Brief.VX3BR"});
  EXPECT_EQ(ReadFile(drive_.HostPath("temp/Brief.VX3BR")), "die eigene Fassung");
  EXPECT_FALSE(std::filesystem::exists(drive_.HostPath("Q"))) << "nothing in the file system";

  // check_target keeps an existing document; without it the copy replaces.
  WriteFile(drive_.HostPath("anders"), "anders");
  name = "Anders.VX3BR";
  ASSERT_TRUE(Server_FileEinlagern(drive_.Path("anders"), "TEXTE", name, false));
  CopyFlags check;
  check.check_target = true;
  UFileCopy("T:\\P\\Anders.VX3BR", target, status, check);
  EXPECT_EQ(status, kCopyTargetExisted);
  EXPECT_EQ(Stored("O'Neil.VX3BR", "TEXTE"), std::to_string(bytes.size()));
  status = 0;
  std::string again = target;
  EXPECT_TRUE(UFileCopy_4SQL("T:\\P\\Anders.VX3BR", again));
  EXPECT_EQ(Stored("O'Neil.VX3BR", "TEXTE"), "6");
}

// A copy that cannot be made is never answered as one: neither when the
// store lacks the document nor when storing the copy fails.
TEST_F(ServerFileStoreTest, AFailedLetterCopyIsReportedAndLeavesNothing) {
  testing::ScopedEnv temp("TEMP", drive_.Path("temp"));
  drive_.MakeFolder("temp");
  std::string target = "T:\\Q\\Kopie.VX3BR";
  int32_t status = 0;
  UFileCopy("T:\\P\\Fehlt.VX3BR", target, status, CopyFlags{});
  EXPECT_EQ(status, kErrFileNotFound);
  EXPECT_FALSE(UFileCopy_4SQL("T:\\P\\Fehlt.VX3BR", target));
  EXPECT_EQ(Stored("Kopie.VX3BR", "TEXTE"), "none");

  WriteFile(drive_.HostPath("Brief.VX3BR"), "Brief");
  std::string name;
  ASSERT_TRUE(Server_FileEinlagern(drive_.Path("Brief.VX3BR"), "TEXTE", name, false));
  Run("CREATE FUNCTION nein() RETURNS trigger LANGUAGE plpgsql AS "
      "$$BEGIN RAISE EXCEPTION 'nein'; END$$");
  Run("CREATE TRIGGER nein BEFORE INSERT ON vxfiles FOR EACH ROW "
      "WHEN (NEW.dateiname = 'Kaputt.VX3BR') EXECUTE FUNCTION nein()");
  target = "T:\\Q\\Kaputt.VX3BR";
  status = 0;
  UFileCopy("T:\\P\\Brief.VX3BR", target, status, CopyFlags{});
  EXPECT_EQ(status, kErrFileNotFound);
  EXPECT_FALSE(UFileCopy_4SQL("T:\\P\\Brief.VX3BR", target));
  EXPECT_EQ(Err().Number(), kErrFileNotFound);
  Err().Clear();
  EXPECT_EQ(Stored("Kaputt.VX3BR", "TEXTE"), "none");
  EXPECT_EQ(Stored("Brief.VX3BR", "TEXTE"), "5");
  EXPECT_TRUE(FilesIn(drive_.HostPath("temp")).empty()) << "no temporary file left";
}

// The developers' diagnostics of the store show, and change no answer.
TEST_F(ServerFileStoreTest, DevelopersAreToldOfDoubtfulCalls) {
  testing::FakeHost host;
  testing::WriteFile(inst_.File("Tarvano32.lic"), "");  // developer mode
  WriteFile(drive_.HostPath("a.VX3BR"), "a");
  const std::string local = drive_.Path("a.VX3BR");
  using Box = testing::FakeHost::MessageBox;
  auto last = [&] { return host.message_boxes.empty() ? Box{} : host.message_boxes.back(); };
  testing::RunInFreshThread([&] {
    testing::EnterDesignMode();
    std::string name;
    EXPECT_FALSE(Server_FileEinlagern(drive_.Path("fehlt"), "TEXTE", name, false));
    EXPECT_EQ(last().prompt, "File nix da!");

    EXPECT_TRUE(Server_FileEinlagern(local, "", name, false));
    EXPECT_EQ(last().prompt, "Server_FileEinlagern - Dateityp ist leer!");
    EXPECT_EQ(last().title, "IsDesign");
    EXPECT_EQ(last().style, kSystemModal);
    host.message_boxes.clear();
    EXPECT_TRUE(Server_FileExistsInVXFiles(local, ""));
    EXPECT_EQ(last().prompt, "Server_FileEinlagern - Dateityp ist leer!");
    EXPECT_EQ(Server_FileAuslagern(local, "", drive_.Path("b")), "1");
    EXPECT_EQ(last().prompt, "Server_FileAuslagern - Dateityp ist leer!");

    name = "~kvc1A.VX3BR";
    EXPECT_TRUE(Server_FileEinlagern(local, "TEXTE", name, false));
    EXPECT_EQ(last().prompt, "Server_FileEinlagern - temporäre Datei??" "?!");
    EXPECT_EQ(last().title, "IstEntwicklung");
    EXPECT_EQ(Stored("~kvc1A.VX3BR", "TEXTE"), "1");
    EXPECT_EQ(host.message_boxes.size(), 3u);
  });

  // Outside server mode the store is never to be asked: developers halt
  // there (in the debugger only), and the caller's process goes on.
  inst_.WriteSettings("[Server]\nDatenbankArt=1\n");
  host.message_boxes.clear();
  testing::RunInFreshThread([&] {
    EXPECT_FALSE(Server_FileExistsInVXFiles(local, "TEXTE"));
    EXPECT_TRUE(host.message_boxes.empty()) << "outside a developer build nothing shows";
    testing::EnterDesignMode();
    EXPECT_FALSE(Server_FileExistsInVXFiles(local, "TEXTE"));
    EXPECT_EQ(last().prompt, "Sollte hier nicht drüberlaufen - Server_FileExistsInVXFiles");
    EXPECT_EQ(last().title, "IsDesign");
  });
}

}  // namespace
}  // namespace vx
