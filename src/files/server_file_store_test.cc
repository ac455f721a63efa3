// Documents kept in the server's table VXFiles: stored, found, written out
// and deleted, whatever their names hold, their bytes intact.

#include "files/server_file_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "data/connections.h"
#include "engine/database.h"
#include "engine/recordset.h"
#include "files/file_delete.h"
#include "files/files_test_util.h"
#include "files/uexist.h"
#include "files/server_files_test_util.h"
#include "server/server_test_util.h"
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

TEST_F(ServerFileStoreTest, HundredMegabytes) {
  if (std::getenv("VX_LONG_TESTS") == nullptr) GTEST_SKIP() << "VX_LONG_TESTS not set";
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

}  // namespace
}  // namespace vx
