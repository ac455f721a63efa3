#include "engine/translation_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/engine_test_util.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

// Translates each statement in turn through the thread's kept shapes, for
// a database file and for the server, and expects exactly what a fresh
// translation gives, or the same error.
void ExpectEachAsTranslated(const std::vector<std::string>& statements) {
  for (Target target : {Target::kFile, Target::kServer}) {
    for (const std::string& sql : statements) {
      SCOPED_TRACE(sql + (target == Target::kServer ? " (server)" : " (file)"));
      TranslatedStatement fresh;
      const int32_t refused = ErrorOf([&] { fresh = TranslateStatement(sql, target); });
      TranslatedStatement kept;
      EXPECT_EQ(ErrorOf([&] { kept = TranslateKept(sql, target); }), refused);
      if (refused == 0) {
        EXPECT_EQ(kept, fresh);
      }
    }
  }
}

TEST(EngineTranslationCache, StatementsOfOneShapeTakeTheirOwnValues) {
  ExpectEachAsTranslated({
      "SELECT * FROM Projekt WHERE Id = 7",
      "SELECT * FROM Projekt WHERE Id = 8",
      "SELECT * FROM Projekt WHERE Id = 8.5",  // now a real
      "SELECT * FROM Projekt WHERE Id = -3",
      "SELECT * FROM Projekt WHERE ProNr = 'P1'",
      "SELECT * FROM Projekt WHERE ProNr = 'O''Brien'",
      "SELECT * FROM Projekt WHERE ProNr = \"P2\"",
      "UPDATE T SET a = 'x', b = #3/5/2024# WHERE c = True AND d >= -1",
      "UPDATE T SET a = 'y', b = #2024-12-31 23:59:00# WHERE c = No AND d >= -2",
      "SELECT * FROM T WHERE a = 'Ä-1' AND b = 2",
      "SELECT * FROM T WHERE a = 'Ö-2' AND b = 3",
  });
  // The values are the second statement's, not the first's.
  const TranslatedStatement t = TranslateKept("SELECT * FROM Projekt WHERE Id = 9");
  ASSERT_EQ(t.parameters.size(), 1u);
  EXPECT_EQ(t.parameters[0].integer, 9);
}

TEST(EngineTranslationCache, KeepsTheCaseFormsOfEachLiteral) {
  // One form (NOCASE), two forms ("IN (?, ?)"), four, too many to list
  // (the folding collation), and back: each translated as it would be alone.
  ExpectEachAsTranslated({
      "SELECT * FROM Projekt WHERE ProNr = 'abc-1'",
      "SELECT * FROM Projekt WHERE ProNr = 'Ä-1'",
      "SELECT * FROM Projekt WHERE ProNr = 'Äß'",
      "SELECT * FROM Projekt WHERE ProNr = 'ÄÖÜäöüÄÖÜ'",
      "SELECT * FROM Projekt WHERE ProNr = 'Ü-2'",
      "SELECT * FROM Projekt WHERE ProNr = 'xyz-2'",
      "SELECT * FROM Projekt WHERE ProNr <> 'ß' OR ProNr <> 'a'",
      "SELECT * FROM Projekt WHERE ProNr <> 'a' OR ProNr <> 'ß'",
      "SELECT * FROM T WHERE a = 'Ö' || b",
      "SELECT * FROM T WHERE a = 'x' || b",
      // On the server ASCII letters have forms too: a number without
      // letters is compared as it is, a text with them through its forms.
      "SELECT * FROM Projekt WHERE ProNr = '4711'",
      "SELECT * FROM Projekt WHERE ProNr = 'P1'",
      "SELECT * FROM Projekt WHERE ProNr = '4712'",
      "SELECT * FROM Projekt WHERE ProNr = 'Q2'",
  });
  const TranslatedStatement t =
      TranslateKept("SELECT * FROM Projekt WHERE ProNr = 'ä-9'");
  EXPECT_EQ(t.sql, "SELECT * FROM Projekt WHERE ProNr COLLATE NOCASE IN (?, ?)");
  ASSERT_EQ(t.parameters.size(), 2u);
  EXPECT_EQ(t.parameters[0].text, "ä-9");
  EXPECT_EQ(t.parameters[1].text, "Ä-9");
}

TEST(EngineTranslationCache, LiteralsThatStayInTheTextAreNotShared) {
  ExpectEachAsTranslated({
      "SELECT TOP 5 * FROM T ORDER BY a",
      "SELECT TOP 6 * FROM T ORDER BY a",
      "SELECT 'a', b FROM T WHERE c LIKE 'x%' AND d IN ('p', 'q')",
      "SELECT 'b', b FROM T WHERE c LIKE 'y%' AND d IN ('r', 's')",
      "INSERT INTO T (a, b) VALUES (True, 'x')",
      "INSERT INTO T (a, b) VALUES (False, 'y')",
      "CREATE TABLE N (a TEXT(50), b YESNO DEFAULT True)",
      "CREATE TABLE N (a TEXT(60), b YESNO DEFAULT False)",
      "CREATE VIEW v AS SELECT a FROM T WHERE a = 'x'",
      "CREATE VIEW v AS SELECT a FROM T WHERE a = 'y'",
      "SELECT a FROM T ORDER BY 1",
      "SELECT a FROM T ORDER BY 2",
  });
}

TEST(EngineTranslationCache, RefusesWhatATranslationRefuses) {
  ExpectEachAsTranslated({
      "SELECT * FROM T WHERE d = #3/5/2024#",
      "SELECT * FROM T WHERE d = #13/45/2024#",
      "SELECT * FROM T WHERE d = #3/6/2024#",
      "SELECT * FROM T WHERE n = 1",
      "SELECT * FROM T WHERE n = 1e999",
      "SELECT * FROM T WHERE n = 2",
      "SELECT * FROM T WHERE n = 2; SELECT 1",
      "SELECT * FROM T WHERE n = 'unterminated",
  });
}

TEST(EngineTranslationCache, BlanksAndSpellingMakeOtherShapes) {
  // The output keeps the statement's own spelling and blanks where they
  // matter, so that statements differing in them share nothing.
  ExpectEachAsTranslated({
      "SELECT a-b FROM T WHERE a = 1",
      "SELECT a - b FROM T WHERE a = 1",
      "select A from T where a=1",
      "SELECT a FROM T WHERE a = 1",
      "SELECT x.True FROM T AS x WHERE a = 1",
      "SELECT x.Yes FROM T AS x WHERE a = 1",
  });
}

TEST(EngineTranslationCache, KeepsNoMoreThanItsShapesNorLongStatements) {
  std::vector<std::string> statements;
  for (size_t round = 0; round < 2; ++round) {
    for (size_t i = 0; i <= kKeptShapes; ++i) {
      statements.push_back("SELECT c" + std::to_string(i) + " FROM T WHERE a = " +
                           std::to_string(round));
    }
  }
  // A long statement is translated each time, the same.
  std::string values;
  while (values.size() <= kLongestKept) values += "(1, 'x'), ";
  statements.push_back("INSERT INTO T (a, b) VALUES " + values + "(2, 'y')");
  statements.push_back(statements.back());
  ExpectEachAsTranslated(statements);
}

TEST(EngineTranslationCache, EachThreadKeepsItsOwn) {
  std::vector<std::thread> threads;
  for (int n = 0; n < 4; ++n) {
    threads.emplace_back([n] {
      for (int i = 0; i < 200; ++i) {
        const std::string id = std::to_string(n * 1000 + i);
        const TranslatedStatement t =
            TranslateKept("SELECT * FROM Projekt WHERE Id = " + id);
        ASSERT_EQ(t.parameters.size(), 1u);
        EXPECT_EQ(t.parameters[0].integer, n * 1000 + i);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace vx::dao
