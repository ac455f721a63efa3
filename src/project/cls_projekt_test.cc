// The project object's state: creation, ProjektInit, the simple properties
// and destruction.

#include "vx_taluvek/cls_projekt.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/lock_file.h"
#include "project/projekt_test_util.h"

namespace vx {
namespace {

using testing::ErrorFields;

class ClsProjektTest : public testing::ProjektTest {
 protected:
  bool Read(cls_Projekt& p, int32_t id, std::string nr = "") {
    return p.bProjektRead(id, nr);
  }
  Variant Get(cls_Projekt& p, Variant column) {
    return p.vProjektDatenRead(column);
  }
  bool DatabaseInUse() {
    return dao::LockFile::InUse(path);
  }
};

TEST_F(ClsProjektTest, NewInstanceHoldsNoProject) {
  cls_Projekt p;
  EXPECT_EQ(p.lProjektId(), -1);
  EXPECT_EQ(p.sProjektNr(), "");
  EXPECT_EQ(p.nProjektfieldscount(), 0);
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  EXPECT_TRUE(Get(p, 0).IsEmpty());
  EXPECT_EQ(ErrorFields(p), std::make_pair(91, StandardDescription(91)));
  EXPECT_TRUE(host.message_boxes.empty());

  p.sProjektNr("  4711 ");
  EXPECT_EQ(p.sProjektNr(), "4711");
}

TEST_F(ClsProjektTest, ProjektInitForgetsTheProjectButKeepsTheDatabase) {
  const int32_t id = Add("4711", "ProBez, ProOrt", "'Neubau', 'Ulm'");
  cls_Projekt p;
  ASSERT_TRUE(Read(p, id));
  Variant beyond(99);
  Get(p, beyond);
  ASSERT_EQ(p.lProjektErrNum(), 3024);

  p.ProjektInit();
  EXPECT_EQ(p.lProjektId(), -1);
  EXPECT_EQ(p.sProjektNr() + p.sProjektBez() + p.Ort(), "");
  EXPECT_EQ(p.nProjektfieldscount(), 0);
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  EXPECT_TRUE(Get(p, 1).IsEmpty());
  EXPECT_EQ(p.lProjektErrNum(), 91);

  // The open database is used again: a file moved away meanwhile is still
  // the one read.
  ASSERT_EQ(std::rename(path.c_str(), (path + ".alt").c_str()), 0);
  EXPECT_TRUE(Read(p, id));
  EXPECT_EQ(p.sProjektBez(), "Neubau");
}

TEST_F(ClsProjektTest, ProgramKeyNamesTheSettingsFileOfNewInstances) {
  const int32_t id = Add("4711");
  testing::WriteFile(inst.File("Anderes.INI"),
                     "[Datei Verzeichnisse]\nPROJEKT=" + inst.home() + "\n");
  cls_Projekt before;
  cls_Projekt p;
  p.sProgKey("Anderes.INI");
  EXPECT_EQ(before.sProgKey(), "Anderes.INI");  // one key for the thread
  cls_Projekt other;
  EXPECT_FALSE(Read(other, id));  // no database in the home folder
  EXPECT_TRUE(Read(before, id));  // created with the old key
  p.sProgKey("");
  cls_Projekt again;
  EXPECT_TRUE(Read(again, id));
}

TEST_F(ClsProjektTest, MissingDirectoryKeyIsAnInstallationError) {
  inst.WriteSettings("");
  cls_Projekt p;
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "INSTALLATIONS-FEHLER");
  EXPECT_FALSE(Read(p, 1));
  EXPECT_NE(p.lProjektErrNum(), 0);
  EXPECT_EQ(Pauses(), 20);
}

TEST_F(ClsProjektTest, DestructionClosesTheDatabaseAndKeepsTheCallersError) {
  Err().Set(5, "vom Aufrufer");
  { cls_Projekt untouched; }
  EXPECT_EQ(Err().Number(), 5);
  EXPECT_TRUE(host.message_boxes.empty());

  const int32_t id = Add("4711");
  {
    cls_Projekt p;
    ASSERT_TRUE(Read(p, id));
    EXPECT_TRUE(DatabaseInUse());
    Err().Set(5, "vom Aufrufer");
  }
  EXPECT_FALSE(DatabaseInUse());
  EXPECT_EQ(Err().Description(), "vom Aufrufer");
  Err().Clear();
}

TEST_F(ClsProjektTest, MembersLeaveNoErrorPending) {
  cls_Projekt p;
  int32_t id = 0;
  std::string nr = "x";
  Err().Set(5);
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_FALSE(Err().IsSet());
  EXPECT_FALSE(p.bProjektLock(id, nr));
  EXPECT_FALSE(Err().IsSet());
  Variant object(ObjectRef(std::make_shared<Object>()));
  EXPECT_TRUE(Get(p, object).IsEmpty());
  EXPECT_FALSE(Err().IsSet());
}

}  // namespace
}  // namespace vx
