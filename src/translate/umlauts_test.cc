// The umlauts written as two letters, as the language database keeps them.

#include "translate/umlauts.h"

#include <gtest/gtest.h>

#include "support/installation.h"
#include "translate/language_db.h"
#include "translate/translate_test_util.h"

namespace vx {
namespace {

TEST(UmlautsTest, EveryUmlautBecomesTwoLetters) {
  std::string text = "Grüße aus Köln: ÄÖÜäöüß!";
  bool gefunden = false;
  EXPECT_TRUE(UmlauteErsetzen(text, true, gefunden));
  EXPECT_TRUE(gefunden);
  EXPECT_EQ(text, "Gruesse aus Koeln: AeOeUeaeoeuess!");

  // Letters that only look alike, and bytes that are no UTF-8, stay.
  text = "Aé ő \xDC\xFC x";
  EXPECT_FALSE(UmlauteErsetzen(text, true, gefunden));
  EXPECT_FALSE(gefunden);
  EXPECT_EQ(text, "Aé ő \xDC\xFC x");
}

TEST(UmlautsTest, WithoutAlleOnlyTellsWhetherThereIsOne) {
  std::string text = "Löschen";
  bool gefunden = true;
  EXPECT_TRUE(UmlauteErsetzen(text, false, gefunden));
  EXPECT_FALSE(gefunden);
  EXPECT_EQ(text, "Löschen");
  text = "Loeschen";
  EXPECT_FALSE(UmlauteErsetzen(text, false, gefunden));
}

TEST(UmlautsTest, LanguageUmlauteRewritesForTheLanguageDatabase) {
  testing::Installation inst;
  testing::UseHomeAsSystemDirectory(inst);
  testing::MakeLanguageDb(inst, {});
  testing::RunInFreshThread([] {
    std::string text = "Öffnen";
    EXPECT_TRUE(LanguageUmlaute(text, true));
    EXPECT_EQ(text, "Oeffnen");
    text = "Oeffnen";
    EXPECT_FALSE(LanguageUmlaute(text, true));
    EXPECT_FALSE(Err().IsSet());
  });
}

}  // namespace
}  // namespace vx
