#include "server/file_table.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "server/server_test_util.h"

namespace vx::server {
namespace {

TEST(FileTableTest, APathIsRegisteredOnceWhateverItsCase) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection connection = db.Worker();
  EXPECT_EQ(FileNumberOf(connection.get(), "T:\\P\\4711.VX3LV"), 0);
  int32_t number = RegisterFile(connection.get(), "T:\\P\\4711.VX3LV");
  EXPECT_GT(number, 0);
  EXPECT_EQ(RegisterFile(connection.get(), "t:\\p\\4711.vx3lv"), number);
  EXPECT_EQ(FileNumberOf(connection.get(), "T:\\P\\4711.vx3LV"), number);
  EXPECT_EQ(FileNumberOf(connection.get(), "T:\\P\\4712.VX3LV"), 0);
  // The path is kept as given, quotes and umlauts too.
  int32_t other = RegisterFile(connection.get(), "T:\\P\\O'Neil Müller.VX3LV");
  EXPECT_NE(other, number);
  EXPECT_EQ(FileNumberOf(connection.get(), "T:\\P\\O'NEIL MÜLLER.VX3LV"), other);
  EXPECT_EQ(RunForValue(connection.get(), "SELECT pfad FROM vxdateien WHERE vid = $1",
                        {std::to_string(other)}),
            "T:\\P\\O'Neil Müller.VX3LV");
}

TEST(FileTableTest, ProcessesRegisteringTheSamePathAtOnceGetOneNumber) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 8; ++i) {
    pid_t pid = fork();
    if (pid == 0) {
      int32_t number = -1;
      try {
        testing::PgConnection connection = db.Worker();
        number = RegisterFile(connection.get(), i % 2 ? "T:\\P\\1.VX3RB" : "t:\\p\\1.vx3rb");
      } catch (...) {
      }
      [[maybe_unused]] ssize_t sent = write(channel[1], &number, sizeof number);
      _exit(0);
    }
    children.push_back(pid);
  }
  close(channel[1]);
  std::set<int32_t> numbers;
  int32_t number;
  while (read(channel[0], &number, sizeof number) == sizeof number) numbers.insert(number);
  close(channel[0]);
  for (pid_t pid : children) waitpid(pid, nullptr, 0);
  ASSERT_EQ(numbers.size(), 1u);
  EXPECT_GT(*numbers.begin(), 0);
}

TEST(FileTableTest, ForgettingAFileRemovesItsRowsEverywhereAndNothingElse) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  // A table one of the suite's programs added later is covered as well.
  RunStatement(db.Superuser().get(),
               "CREATE TABLE zusatz (vid integer, wert text); ALTER TABLE zusatz OWNER TO "
               "vx_eigentuemer");
  ApplySchema(db.Owner().get());
  testing::PgConnection whole = db.Worker();
  const std::string gone = std::to_string(RegisterFile(whole.get(), "C:\\TEMP\\~1.TMP"));
  const std::string kept = std::to_string(RegisterFile(whole.get(), "T:\\P\\4711.VX3LV"));
  for (const std::string& vid : {gone, kept}) {
    RunStatement(whole.get(), "INSERT INTO LV (vid) VALUES (" + vid + ")");
    RunStatement(whole.get(), "INSERT INTO TabMassen (vid, KennVon) VALUES (" + vid + ", 'LV')");
    RunStatement(whole.get(), "INSERT INTO zusatz (vid, wert) VALUES (" + vid + ", 'x')");
    // A set saved from the file belongs to its name, not to the file.
    RunStatement(whole.get(), "INSERT INTO savlv__lv (vid, SicherungsName) VALUES (" + vid +
                                  ", 'Satz" + vid + "')");
  }
  EXPECT_TRUE(ForgetFile(whole.get(), "c:\\temp\\~1.tmp"));
  EXPECT_EQ(FileNumberOf(whole.get(), "C:\\TEMP\\~1.TMP"), 0);
  for (const char* table : {"lv", "tabmassen", "zusatz"}) {
    SCOPED_TRACE(table);
    EXPECT_EQ(RunForValue(whole.get(), std::string("SELECT string_agg(vid::text, ',') FROM ") + table),
              kept);
  }
  EXPECT_EQ(RunForValue(whole.get(), "SELECT count(*) FROM savlv__lv"), "2");
  EXPECT_FALSE(ForgetFile(whole.get(), "C:\\TEMP\\~1.TMP"));
}

}  // namespace
}  // namespace vx::server
