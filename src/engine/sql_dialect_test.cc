#include "engine/sql_dialect.h"

#include <gtest/gtest.h>

#include "engine/engine_test_util.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

std::string Sql(std::string_view dialect) {
  return TranslateStatement(dialect).sql;
}

TEST(EngineDialect, TranslatesTheDialectsForms) {
  EXPECT_EQ(Sql("Delete * from Projekt"), "DELETE from Projekt");
  EXPECT_EQ(Sql("DELETE Projekt.* FROM Projekt"), "DELETE FROM Projekt");
  EXPECT_EQ(Sql("SELECT [User].[Name] FROM [User]"),
            "SELECT \"User\".\"Name\" FROM \"User\"");
  EXPECT_EQ(Sql("SELECT DISTINCTROW a FROM T"), "SELECT DISTINCT a FROM T");
  EXPECT_EQ(Sql("SELECT TOP 5 * FROM T ORDER BY a"),
            "SELECT * FROM T ORDER BY a COLLATE DE_NOCASE LIMIT 5");
  EXPECT_EQ(Sql("SELECT a & \"x\", b Mod 2 FROM T"),
            "SELECT vx_concat(a, 'x'), b % 2 FROM T");
  EXPECT_EQ(Sql("INSERT INTO T (a, b, c, d) VALUES (True, False, Yes, No)"),
            "INSERT INTO T (a, b, c, d) VALUES (-1, 0, -1, 0)");
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a LIKE 'ab%'"),
            "SELECT * FROM T WHERE a LIKE 'ab%'");
  EXPECT_EQ(Sql("SELECT UCase(a), Len(b) FROM T WHERE c < Now()"),
            "SELECT UCase(a), length(b) FROM T WHERE c < "
            "(datetime('now','localtime'))");
  // Quotes inside texts survive the change of quote.
  EXPECT_EQ(Sql("SELECT \"it's \"\"x\"\"\" FROM T"),
            "SELECT 'it''s \"x\"' FROM T");
}

TEST(EngineDialect, LiteralsAfterComparisonsBecomeParameters) {
  TranslatedStatement t = TranslateStatement(
      "UPDATE T SET a = 'O''Brien', b = #3/5/2024 2:30 PM# "
      "WHERE c >= -1.5 AND d <> True AND e=\"x\" AND f = 7");
  EXPECT_EQ(t.sql,
            "UPDATE T SET a = ?, b = ? WHERE c >= ? AND d <> ? AND "
            "e COLLATE NOCASE=? AND f = ?");
  // Dates need no collation: an index on their column serves them.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE d < #3/5/2024# AND e > 'x'"),
            "SELECT * FROM T WHERE d < ? AND e COLLATE DE_NOCASE > ?");
  ASSERT_EQ(t.parameters.size(), 6u);
  EXPECT_EQ(t.parameters[0].text, "O'Brien");
  EXPECT_EQ(t.parameters[1].text, "2024-03-05 14:30:00");
  EXPECT_EQ(t.parameters[2].kind, Parameter::Kind::kReal);
  EXPECT_EQ(t.parameters[2].real, -1.5);
  EXPECT_EQ(t.parameters[3].integer, -1);
  EXPECT_EQ(t.parameters[4].text, "x");
  EXPECT_EQ(t.parameters[5].kind, Parameter::Kind::kInteger);
  EXPECT_EQ(t.parameters[5].integer, 7);
  // Statements that differ only in such values share one text.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE ProNr = '1'"),
            Sql("SELECT * FROM T WHERE ProNr = '2'"));
  // Elsewhere literals stay: in lists, in table definitions.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a IN ('x', 2)"),
            "SELECT * FROM T WHERE a COLLATE DE_NOCASE IN ('x', 2)");
}

TEST(EngineDialect, DateLiteralsAreMonthFirst) {
  EXPECT_EQ(DateLiteralText("3/5/2024"), "2024-03-05 00:00:00");
  EXPECT_EQ(DateLiteralText("2024-03-05 14:00:00"), "2024-03-05 14:00:00");
  EXPECT_EQ(DateLiteralText(" 12/31/99 23:59 "), "1999-12-31 23:59:00");
  EXPECT_EQ(DateLiteralText("1/2/05"), "2005-01-02 00:00:00");
  EXPECT_EQ(DateLiteralText("12:00 AM"), "1899-12-30 00:00:00");
  EXPECT_EQ(DateLiteralText("2/29/2024"), "2024-02-29 00:00:00");
  EXPECT_FALSE(DateLiteralText("2/29/2023"));
  EXPECT_FALSE(DateLiteralText("13/1/2024"));
  EXPECT_FALSE(DateLiteralText("3/5/2024 24:00"));
  EXPECT_FALSE(DateLiteralText("3/5"));
  EXPECT_FALSE(DateLiteralText("yesterday"));
  EXPECT_EQ(ErrorOf([] { Sql("SELECT * FROM T WHERE d = #2/30/2024#"); }),
            kErrSyntax);
}

TEST(EngineDialect, RefusesAllButOneStatement) {
  EXPECT_EQ(ErrorOf([] { Sql("DELETE FROM T WHERE Id=1; DROP TABLE T"); }),
            kErrTextAfterEnd);
  EXPECT_EQ(ErrorOf([] { Sql("SELECT 1;;"); }), kErrTextAfterEnd);
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a = 'x;y' ; -- done"),
            "SELECT * FROM T WHERE a COLLATE NOCASE = ?");
  EXPECT_EQ(ErrorOf([] { Sql("PRAGMA writable_schema = 1"); }),
            kErrInvalidStatement);
  EXPECT_EQ(ErrorOf([] { Sql("ATTACH 'x' AS y"); }), kErrInvalidStatement);
  EXPECT_EQ(ErrorOf([] { Sql("   "); }), kErrInvalidStatement);
  // A bare "?" would be an unbound parameter to SQLite.
  EXPECT_EQ(ErrorOf([] { Sql("SELECT * FROM T WHERE a = ?"); }),
            kErrTooFewParameters);
  EXPECT_EQ(ErrorOf([] { Sql("SELECT * FROM T WHERE a = 'open"); }), kErrSyntax);
  EXPECT_EQ(ErrorOf([] { Sql("SELECT [open FROM T"); }), kErrSyntax);
  EXPECT_EQ(ErrorOf([] { Sql("SELECT a FROM T /* open"); }), kErrSyntax);
}

TEST(EngineDialect, TableDefinitionsGetSqliteTypes) {
  EXPECT_EQ(
      Sql("CREATE TABLE [T] (Id COUNTER CONSTRAINT pk PRIMARY KEY, "
          "Name TEXT(50) NOT NULL, Notiz MEMO, Flag YESNO, G GUID, "
          "Titel VARCHAR, Preis CURRENCY DEFAULT 0, Stand DATETIME "
          "DEFAULT Now(), Code CHAR(3) COLLATE BINARY)"),
      "CREATE TABLE \"T\" (Id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "Name TEXT(50) COLLATE NOCASE NOT NULL, Notiz MEMO TEXT COLLATE NOCASE, "
      "Flag YESNO DEFAULT 0, G GUID TEXT COLLATE NOCASE, "
      "Titel VARCHAR COLLATE NOCASE, Preis CURRENCY DEFAULT 0, "
      "Stand DATETIME DEFAULT (datetime('now','localtime')), "
      "Code CHAR(3) COLLATE BINARY)");
  // A table constraint that names the counter is its definition already.
  EXPECT_EQ(Sql("CREATE TABLE T (Id AUTOINCREMENT, x LONG, "
                "CONSTRAINT pk PRIMARY KEY (Id), UNIQUE (x))"),
            "CREATE TABLE T (Id INTEGER PRIMARY KEY AUTOINCREMENT, x LONG, "
            "UNIQUE (x))");
  EXPECT_EQ(Sql("ALTER TABLE T ADD COLUMN Bem NOTE"),
            "ALTER TABLE T ADD COLUMN Bem NOTE TEXT COLLATE NOCASE");
  EXPECT_EQ(Sql("CREATE INDEX ix ON [T] ([Name])"),
            "CREATE INDEX ix ON \"T\" (\"Name\")");
}

TEST(EngineDialect, FindsSelectsOfOneTable) {
  TranslatedStatement t = TranslateStatement(
      "SELECT p.ProNr, p.Id = 5 FROM [Projekt] AS p WHERE p.Id = 7 ORDER BY 1");
  ASSERT_TRUE(t.source);
  EXPECT_EQ(t.source->table, "Projekt");
  EXPECT_EQ(t.source->qualifier, "\"p\"");
  EXPECT_EQ(t.source->select_list, "p.ProNr, p.Id = ? ");
  EXPECT_EQ(t.source->select_list_parameters, 1u);
  EXPECT_EQ(t.source->table_reference, "\"Projekt\" AS p ");
  EXPECT_EQ(t.sql.substr(t.source->from_offset, 4), "FROM");

  ASSERT_TRUE(TranslateStatement("SELECT * FROM Projekt").source);
  EXPECT_EQ(TranslateStatement("select * from Projekt x").source->qualifier,
            "\"x\"");
  for (const char* several : {
           "SELECT * FROM a, b", "SELECT * FROM a INNER JOIN b ON a.x = b.x",
           "SELECT DISTINCT x FROM a", "SELECT x FROM a GROUP BY x",
           "SELECT Count(*) FROM a", "SELECT * FROM (SELECT * FROM a)",
           "SELECT x FROM a UNION SELECT x FROM b", "SELECT 1"}) {
    EXPECT_FALSE(TranslateStatement(several).source) << several;
  }
}

TEST(EngineDialect, TextComparisonsFoldTheGermanLetters) {
  // ASCII letters fold under the column's NOCASE, which its index serves.
  EXPECT_EQ(Sql("SELECT * FROM Projekt WHERE ProNr = 'abc-1'"),
            "SELECT * FROM Projekt WHERE ProNr COLLATE NOCASE = ?");
  // Other letters: their case forms, under NOCASE too.
  TranslatedStatement t =
      TranslateStatement("SELECT * FROM Projekt WHERE ProNr = 'Ä-1' AND x <> 'ß'");
  EXPECT_EQ(t.sql,
            "SELECT * FROM Projekt WHERE ProNr COLLATE NOCASE IN (?, ?) AND "
            "x COLLATE NOCASE NOT IN (?, ?)");
  ASSERT_EQ(t.parameters.size(), 4u);
  EXPECT_EQ(t.parameters[0].text, "ä-1");
  EXPECT_EQ(t.parameters[1].text, "Ä-1");
  EXPECT_EQ(t.parameters[3].text, "ẞ");
  // Where the literal is not the whole operand, or the comparison orders,
  // the folding collation.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a = 'Ö' || b OR a < 'Ö' OR a = b"),
            "SELECT * FROM T WHERE a COLLATE DE_NOCASE = ? || b OR "
            "a COLLATE DE_NOCASE < ? OR a COLLATE DE_NOCASE = b");
  // Numbers need no collation; a collation written stays.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a = 5 AND b BETWEEN 1 AND 2 AND "
                "c IN (1, -2) AND d COLLATE BINARY = 'x' AND e = 'y' COLLATE BINARY"),
            "SELECT * FROM T WHERE a = ? AND b BETWEEN 1 AND 2 AND "
            "c IN (1, -2) AND d COLLATE BINARY = ? AND e = ? COLLATE BINARY");
  // Assignments compare nothing; sorting and grouping fold.
  EXPECT_EQ(Sql("UPDATE T SET a = 'Ä', b = (c = 'd') WHERE e NOT IN (SELECT f FROM g)"),
            "UPDATE T SET a = ?, b = (c COLLATE NOCASE = ?) WHERE "
            "e COLLATE DE_NOCASE NOT IN (SELECT f FROM g)");
  EXPECT_EQ(Sql("SELECT a, Count(*) FROM T GROUP BY a HAVING Count(*) > 1 "
                "ORDER BY 2 DESC, a COLLATE BINARY, [b]"),
            "SELECT a, Count(*) FROM T GROUP BY a COLLATE DE_NOCASE HAVING "
            "Count(*) > ? ORDER BY 2 COLLATE DE_NOCASE DESC, a COLLATE BINARY, "
            "\"b\" COLLATE DE_NOCASE");
  // A table's definition, kept in the file, names no collation of ours.
  EXPECT_EQ(Sql("CREATE VIEW v AS SELECT UCase(a) FROM T WHERE a = 'x' ORDER BY a"),
            "CREATE VIEW v AS SELECT upper(a) FROM T WHERE a = 'x' ORDER BY a");
}

TEST(EngineDialect, JetOperatorsKeepTheirMeaning) {
  // "&" and "\" bind as in the dialect: after arithmetic.
  EXPECT_EQ(Sql("SELECT a + 1 & -b.c * 2 & 'x', 10 \\ 3 * 2 FROM T"),
            "SELECT vx_concat(vx_concat(a + 1, -b.c * 2), 'x'), "
            "vx_intdiv(10, 3 * 2) FROM T");
  EXPECT_EQ(Sql("SELECT Nz(a) & Mid(b, 1, 2) FROM T WHERE (a & b) = 'x'"),
            "SELECT vx_concat(Nz(a), substr(b, 1, 2)) FROM T WHERE "
            "(vx_concat(a, b)) COLLATE NOCASE = ?");
  // TOP in a subquery limits the subquery.
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a IN (SELECT TOP 1 b FROM U ORDER BY c) "
                "AND Flag = Yes"),
            "SELECT * FROM T WHERE a COLLATE DE_NOCASE IN (SELECT b FROM U "
            "ORDER BY c COLLATE DE_NOCASE LIMIT 1) AND Flag = ?");
  // A column of that name stays a column.
  EXPECT_EQ(Sql("SELECT T.No FROM T"), "SELECT T.No FROM T");
}

TEST(EngineDialect, TokensNeverJoinIntoOthers) {
  // "x-True" must not become "x--1", the start of a comment.
  EXPECT_EQ(Sql("DELETE FROM Projekt WHERE SatzLockKZ-True AND Id = 5"),
            "DELETE FROM Projekt WHERE SatzLockKZ-(-1) AND Id = ?");
  EXPECT_EQ(Sql("SELECT x - -1, x-(-True), - True FROM T"),
            "SELECT x - -1, x-(-(-1)), - (-1) FROM T");
  EXPECT_EQ(Sql("SELECT a/#1/2/2024#, x\"ab\", \"a\"'b', [a][b], 1True FROM T"),
            "SELECT a/'2024-01-02 00:00:00', x 'ab', 'a' 'b', \"a\" \"b\", 1(-1) FROM T");
  EXPECT_EQ(Sql("SELECT * FROM T WHERE a = 'x'5"),
            "SELECT * FROM T WHERE a COLLATE NOCASE = ? 5");
  // SQLite reads "2.u" as one malformed token; the dialect, a number and a
  // name.  A qualified name keeps its point.
  EXPECT_EQ(Sql("SELECT 2.u, T.a FROM T"), "SELECT 2. u, T.a FROM T");
  EXPECT_EQ(Sql("SELECT No.5, No.x FROM T"), "SELECT 0 .5, No.x FROM T");
}

TEST(EngineDialect, RefusesMalformedDefinitionsAndDeepNesting) {
  for (const char* malformed : {
           "CREATE TABLE T (a TEXT b c", "CREATE TABLE T (", "CREATE TABLE T ()",
           "CREATE TABLE T (a TEXT,)", "CREATE TABLE T (a TEXT(0))",
           "CREATE TABLE T (a TEXT(256))", "CREATE TABLE T (a TEXT(x))",
           "CREATE TABLE T (a TEXT(1,))", "CREATE TABLE T (a TEXT(-5))",
           "CREATE TABLE T (a TEXT(1.5))", "CREATE TABLE T (a TEXT(1 2))",
           "CREATE TABLE T (a DECIMAL(1, 2, 3))", "CREATE TABLE T ((a) TEXT)",
           "ALTER TABLE T ADD COLUMN a TEXT(99999999999)"}) {
    EXPECT_EQ(ErrorOf([&] { Sql(malformed); }), kErrTableDefinition) << malformed;
  }
  EXPECT_EQ(Sql("CREATE TABLE T (a TEXT ( 50 ), b DECIMAL(18,4), c BINARY(510))"),
            "CREATE TABLE T (a TEXT(50) COLLATE NOCASE, b DECIMAL(18, 4), "
            "c BINARY(510))");
  const std::string deep = "SELECT " + std::string(101, '(') + "1" +
                           std::string(101, ')');
  EXPECT_EQ(ErrorOf([&] { Sql(deep); }), kErrTooComplex);
  const std::string nested = "SELECT " + std::string(100, '(') + "1" +
                             std::string(100, ')');
  EXPECT_EQ(Sql(nested), nested);
}

TEST(EngineDialect, NamesTheTypedAggregates) {
  TranslatedStatement t = TranslateStatement(
      "SELECT Max([Beginn]) AS b, Sum(p.Budget), Min(a + 1), Count(x) "
      "FROM Projekt p WHERE Id > 1 GROUP BY ProNr");
  ASSERT_EQ(t.typed_aggregates.size(), 2u);
  EXPECT_EQ(t.typed_aggregates[0].position, 0u);
  EXPECT_EQ(t.typed_aggregates[0].column, "\"Beginn\"");
  EXPECT_FALSE(t.typed_aggregates[0].sum);
  EXPECT_EQ(t.typed_aggregates[1].position, 1u);
  EXPECT_EQ(t.typed_aggregates[1].column, "p.Budget");
  EXPECT_TRUE(t.typed_aggregates[1].sum);
  EXPECT_EQ(t.from_clause, "FROM Projekt p");
}

TEST(EngineDialect, SplitsScriptsAtSemicolonsOutsideTexts) {
  std::vector<std::string_view> statements = SplitScript(
      "-- a comment; with a semicolon\n"
      "CREATE TABLE a (x TEXT);\n"
      "INSERT INTO a VALUES ('x;y');;\n"
      "INSERT INTO a VALUES (\"z\")  ");
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[0], "CREATE TABLE a (x TEXT)");
  EXPECT_EQ(statements[1], "INSERT INTO a VALUES ('x;y')");
  EXPECT_EQ(statements[2], "INSERT INTO a VALUES (\"z\")");
}

std::string ServerSql(std::string_view dialect) {
  return TranslateStatement(dialect, Target::kServer).sql;
}

TEST(EngineDialect, TranslatesForTheServer) {
  EXPECT_EQ(ServerSql("SELECT [ProNr], [Projekt Daten].x FROM [Projekt Daten]"),
            "SELECT \"pronr\", \"projekt daten\".x FROM \"projekt daten\"");
  EXPECT_EQ(ServerSql("SELECT Größe FROM T"), "SELECT \"größe\" FROM T");
  EXPECT_EQ(ServerSql("SELECT UCase(a) & '-' & Mid(b, 2), 7 \\ 2 FROM T"),
            "SELECT pg_temp.vx_concat(pg_temp.vx_concat(pg_temp.ucase(a), '-'), pg_temp.mid(b, 2)), "
            "pg_temp.vx_intdiv(7, 2) FROM T");
  EXPECT_EQ(ServerSql("SELECT * FROM T WHERE Flag AND NOT t.Aus OR (x BETWEEN 1 AND f) "
                      "OR x IS NOT NULL AND IIf(Flag, 1, 2) = 1"),
            "SELECT * FROM T WHERE (Flag <> 0) AND NOT (t.Aus <> 0) OR (x BETWEEN 1 AND f) "
            "OR x IS NOT NULL AND pg_temp.iif(Flag, 1, 2) = ?");
  EXPECT_EQ(ServerSql("SELECT TOP 5 T.a, b AS c, Count(*) FROM T GROUP BY T.a, b ORDER BY T.a"),
            "SELECT min(T.a) AS \"a\", min(b) AS c, count(*) FROM T "
            "GROUP BY pg_temp.vx_sort(T.a), pg_temp.vx_sort(b) "
            "ORDER BY pg_temp.vx_sort(T.a) LIMIT 5");
  EXPECT_EQ(ServerSql("SELECT CASE WHEN Flag THEN 1 END FROM T WHERE NOT Flag"),
            "SELECT CASE WHEN (Flag <> 0) THEN 1 END FROM T WHERE NOT (Flag <> 0)");
  EXPECT_EQ(ServerSql("SELECT CASE a WHEN b THEN 1 END, CASE WHEN c THEN 2 END FROM T"),
            "SELECT CASE a WHEN b THEN 1 END, CASE WHEN (c <> 0) THEN 2 END FROM T");
  EXPECT_EQ(ServerSql("SELECT #3/5/2024#, Now() FROM T"),
            "SELECT TIMESTAMP '2024-03-05 00:00:00', LOCALTIMESTAMP(0) FROM T");
  EXPECT_EQ(ServerSql("SELECT * FROM T WHERE a LIKE 'ä%' ORDER BY a, 2 DESC"),
            "SELECT * FROM T WHERE a COLLATE \"und-x-icu\" ILIKE 'ä%' "
            "ORDER BY pg_temp.vx_sort(a), 2 DESC");
  // Equality with a text: its case forms, exactly, so that an index serves.
  TranslatedStatement t = TranslateStatement("SELECT * FROM T WHERE a = 'Ä1'", Target::kServer);
  EXPECT_EQ(NumberParameters(t.sql), "SELECT * FROM T WHERE a IN ($1, $2)");
  ASSERT_EQ(t.parameters.size(), 2u);
  EXPECT_EQ(t.parameters[0].text + t.parameters[1].text == "ä1Ä1" ||
                t.parameters[0].text + t.parameters[1].text == "Ä1ä1",
            true);
  EXPECT_EQ(ServerSql("SELECT * FROM T WHERE a = '4711' AND b <> 'Straße Zwei Drei Vier'"),
            "SELECT * FROM T WHERE a = ? AND b COLLATE pg_temp.vx_nocase <> ?");
  EXPECT_EQ(ServerSql("SELECT * FROM T WHERE a = b AND c > 2 AND (T.a < U.b) AND a + b = c"),
            "SELECT * FROM T WHERE pg_temp.vx_sort(a) = pg_temp.vx_sort(b) AND c > ? AND "
            "(pg_temp.vx_sort(T.a) < pg_temp.vx_sort(U.b)) AND a + b = c");
  EXPECT_EQ(ServerSql("CREATE TABLE T (Id COUNTER, a TEXT(20), f YESNO, d DATETIME, "
                      "m MEMO, c CURRENCY, PRIMARY KEY (Id))"),
            "CREATE TABLE T (Id integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
            "a varchar(20), f vx_janein DEFAULT 0, d timestamp(0), m text, "
            "c numeric(19,4))");
  EXPECT_EQ(NumberParameters("SELECT '?', \"?\", ? FROM T WHERE x = ?"),
            "SELECT '?', \"?\", $1 FROM T WHERE x = $2");
}

TEST(EngineDialect, TheServerRefusesWhatCouldReachItsSettings) {
  for (const char* sql : {"SELECT set_config('vx.vid', '', false)",
                          "SELECT * FROM T WHERE current_setting('vx.vid') = ''",
                          "SELECT T.upper(a) FROM T",
                          "SELECT Format(a, 'x') FROM T",
                          "UPDATE T SET a = lo_import('/etc/passwd')",
                          "CREATE TABLE T (a TEXT(5) DEFAULT set_config('vx.vid', '', false))"}) {
    EXPECT_EQ(ErrorOf([&] { ServerSql(sql); }), kErrUndefinedFunction) << sql;
  }
  for (const char* sql : {"SELECT * FROM pg_settings", "UPDATE PG_SETTINGS SET setting = ''",
                          "SELECT * FROM information_schema.tables",
                          "SELECT * FROM [pg_class]", "SELECT pg_catalog.upper(a) FROM T"}) {
    EXPECT_EQ(ErrorOf([&] { ServerSql(sql); }), kErrTableNotFound) << sql;
  }
  EXPECT_EQ(ErrorOf([&] { ServerSql("SELECT * INTO Kopie FROM T"); }), kErrInvalidStatement);
  EXPECT_EQ(ErrorOf([&] { ServerSql("SET vx.vid = ''"); }), kErrInvalidStatement);
  // What the dialect knows passes: calls, groups, a table's column list.
  EXPECT_NO_THROW(ServerSql("INSERT INTO T (a, b) SELECT Count(*), Max(b) FROM U "
                            "WHERE EXISTS (SELECT 1 FROM V) AND a IN (1, 2) AND "
                            "Left(a, 2) = Right(b, 2)"));
}

}  // namespace
}  // namespace vx::dao
