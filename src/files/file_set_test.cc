// The file-set vocabulary: codes, project numbers in names, table lists and
// the narrowing of statements on the shared measurement tables.

#include "files/file_set.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/files_test_util.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace vx {
namespace {

TEST(FileSetTest, TheTableHoldsEachExtensionOnceWellFormed) {
  std::set<std::string_view> seen;
  for (const FileKind& kind : FileKinds()) {
    EXPECT_TRUE(seen.insert(kind.extension).second) << kind.extension;
    EXPECT_EQ(kind.extension, UCase(kind.extension));
    // Consumers split the lists at ";" and skip the empty tail.
    if (!kind.tables.empty()) {
      EXPECT_EQ(kind.tables.back(), ';');
    }
    if (!kind.kenn_von.empty()) {
      EXPECT_EQ(kind.kenn_von.back(), ';');
    }
    EXPECT_FALSE(!kind.tables.empty() && !kind.document_type.empty());
  }
  EXPECT_EQ(FindFileKind(".VX3KO")->tables, FindFileKind(".VX3AB")->tables);
  EXPECT_EQ(FindFileKind(".vx3ko"), nullptr);
  EXPECT_TRUE(IsSharedDatabaseName("projekt.vx3db"));
  EXPECT_FALSE(IsSharedDatabaseName("4711.VX3EK"));
  EXPECT_TRUE(IsStructureTemplateName("PRJSTRUK.VX3DB"));
  EXPECT_TRUE(IsStructureTemplateName("ELKAT_STRUK.VX3EL"));
  EXPECT_FALSE(IsStructureTemplateName("PROJEKT.VX3DB"));
}

TEST(FileSetTest, CodesAndProjectNumbersFromNames) {
  EXPECT_EQ(GetDateiTyp("C:\\P\\4711__01.vx3lv"), "LV");
  EXPECT_EQ(GetDateiTyp("C:\\P\\Texte.VX3LB"), "LB");
  EXPECT_EQ(GetDateiTyp("C:\\P\\4711.VX3EK"), "");
  EXPECT_EQ(GetDateiTyp("C:\\P\\LIESMICH"), "");

  EXPECT_EQ(GetProNrFromFile("EK", "4711.VX3EK"), "4711");
  EXPECT_EQ(GetProNrFromFile("AU", "4711.VX3OB"), "4711");
  EXPECT_EQ(GetProNrFromFile("ZA", "O'Neil.VX3OB"), "O'Neil");
  EXPECT_EQ(GetProNrFromFile("PR", "4711"), "4711");
  EXPECT_EQ(GetProNrFromFile("LV", "4711__01.VX3LV"), "4711");
  EXPECT_EQ(GetProNrFromFile("BR", "4711__Brief.VX3BR"), "4711");
  EXPECT_EQ(GetProNrFromFile("BR", "_Brief.VX3BR"), "");
  EXPECT_EQ(GetProNrFromFile("LB", "Texte.VX3LB"), "");
  // The extension is searched as written, and must be there.
  EXPECT_EQ(GetProNrFromFile("EK", "4711.vx3ek"), "");
  EXPECT_EQ(GetProNrFromFile("RB", "4711.VX3EK"), "");
  EXPECT_EQ(GetProNrFromFile("EK", ".VX3EK"), "");
  EXPECT_EQ(GetProNrFromFile("XX", "4711.VX3EK"), "");
  EXPECT_EQ(GetProNrFromFile("", "4711.VX3EK"), "");
}

TEST(FileSetTest, ProjectNumberAndPartOfLvNames) {
  std::string part = "alt";
  EXPECT_EQ(GetProNrFromLVName("4711__01.VX3LV", part), "4711");
  EXPECT_EQ(part, "01");
  EXPECT_EQ(GetProNrFromLVName("4711___01.VX3LV", part), "4711_");
  EXPECT_EQ(part, "01");
  EXPECT_EQ(GetProNrFromLVName("C:\\P\\4711__01.VX3LV", part), "4711");
  part = "alt";
  EXPECT_EQ(GetProNrFromLVName("4711.VX3LV", part), "");
  EXPECT_EQ(part, "alt");
  // In a text of words, the word before the "__"'s word and the part up to
  // the next blank.
  EXPECT_EQ(GetProNrFromLVName("Projekt 4711__01 Rohbau", part), "Projekt");
  EXPECT_EQ(part, "01");
  // Without a word before, the file name rule takes over.
  EXPECT_EQ(GetProNrFromLVName("4711__01 Rohbau.VX3LV", part), "4711");
  EXPECT_EQ(part, "01");
}

TEST(FileSetTest, TableListsByExtensionAndName) {
  std::string type = "unverändert";
  EXPECT_EQ(GetTables_4SQL("C:\\P\\4711.VX3EK", type),
            "Elprj_Header;Kalk_Ele;TabMasFormel;TabMasHead;TabMasInfo;"
            "TabMassen;");
  EXPECT_EQ(type, "unverändert");
  EXPECT_EQ(GetTables_4SQL("C:\\P\\lbinhalt.vx3db", type),
            "Untertitel;LBTabelle;CAD_Verweis;");
  EXPECT_EQ(GetTables_4SQL("C:\\P\\PROJEKT.VX3DB", type), "");
  for (const char* document : {"a.VX3BR", "a.doc", "a.DOCX", "a.pdf"}) {
    type.clear();
    EXPECT_EQ(GetTables_4SQL(document, type), "");
    EXPECT_EQ(type, "TEXTE") << document;
  }
  EXPECT_EQ(GetTables_4SQL("C:\\P\\a.VX3ET", type), "");
  EXPECT_EQ(type, "ETX");

  // An unknown extension gives nothing, and tells the developer in design
  // mode.
  testing::FakeHost host;
  EXPECT_EQ(GetTables_4SQL("C:\\P\\a.txt", type), "");
  EXPECT_TRUE(host.message_boxes.empty());
  testing::EnterDesignMode();
  EXPECT_EQ(GetTables_4SQL("C:\\P\\a.txt", type), "");
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "Design");
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Noch nicht implementiert - GetTables_4SQL\nC:\\P\\a.txt");
  State().design_tested = false;
}

TEST(FileSetTest, SqlAddWhere) {
  EXPECT_EQ(SqlAddWhere("SELECT * FROM TabMassen ORDER BY Pos",
                        " where (KennVon = 'LV') "),
            "SELECT * FROM TabMassen WHERE (KennVon = 'LV')  ORDER BY POS");
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T WHERE a = 1", "WHERE b = 2"),
            "SELECT * FROM T WHERE a = 1 AND b = 2 ");
  EXPECT_EQ(SqlAddWhere("SELECT k, Count(*) FROM T Group By k Order By k",
                        "where x = 'a'"),
            "SELECT k, Count(*) FROM T WHERE x = 'a'  GROUP BY K ORDER BY K");
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T", "AND x = 1"),
            "SELECT * FROM T WHERE X = 1 ");
  // A column that merely begins with the letters keeps them.
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T", "Anders = 1"),
            "SELECT * FROM T WHERE ANDERS = 1 ");
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T",
                        "Id IN (SELECT Id FROM U WHERE n = 'x')"),
            "SELECT * FROM T WHERE Id IN (SELECT Id FROM U WHERE n = 'x') ");
  // Without a leading WHERE the part after the condition's last WHERE,
  // in capitals.
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T", "egal where a = 'x'"),
            "SELECT * FROM T WHERE A = 'X' ");
  EXPECT_EQ(SqlAddWhere("SELECT * FROM T", ""), "SELECT * FROM T");
  EXPECT_EQ(SqlAddWhere("", "a = 1"), "a = 1");
}

TEST(FileSetTest, KennFilterForEachKind) {
  const std::string massen = "Delete * from TabMassen";
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711__01.VX3LV", massen),
            "Delete * from TabMassen WHERE (KennVon = 'LV' or KennVon = 'RP' "
            "or KennVon = 'RPA') ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.VX3RB", massen),
            "Delete * from TabMassen WHERE (KennVon = 'RB_F' or KennVon = "
            "'RB_P') ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.vx3ek", "SELECT * FROM TabMasHead"),
            "SELECT * FROM TabMasHead WHERE (KennVon = 'EKM' or KennVon = "
            "'EKF') ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.VX3KS", massen),
            "Delete * from TabMassen WHERE (KennVon = 'KSDETAIL' or KennVon = "
            "'KSPARAM' or KennVon = 'KSELEFAKTOR') ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.VX3KO", massen), massen);
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.VX3AB", massen), massen);
  EXPECT_EQ(
      AddKennFilter_4SQL("C:\\P\\4711.VX3EK",
                         "SELECT * FROM TabMasHead INNER JOIN TabMassen ON "
                         "TabMasHead.Id = TabMassen.HeadId"),
      "SELECT * FROM TabMasHead INNER JOIN TabMassen ON TabMasHead.Id = "
      "TabMassen.HeadId WHERE (TabMasHead.KennVon = 'EKM' or "
      "TabMasHead.KennVon = 'EKF') AND (TabMassen.KennVon = 'EKM' or "
      "TabMassen.KennVon = 'EKF') ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.vx3rb", "Delete * from TabMasInfo"),
            "Delete * from TabMasInfo WHERE DBExtension = '.VX3RB' ");
  // A file name's apostrophe cannot end the literal.
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\a.b'c", "Delete * from AufmassBlatt"),
            "Delete * from AufmassBlatt WHERE DBExtension = '.B''C' ");
  EXPECT_EQ(AddKennFilter_4SQL("C:\\P\\4711.VX3LV", "Delete * from Preis"),
            "Delete * from Preis");
}

}  // namespace
}  // namespace vx
