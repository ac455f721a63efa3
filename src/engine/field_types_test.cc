#include "engine/field_types.h"

#include <gtest/gtest.h>

#include "engine/engine_test_util.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

TEST(EngineFieldTypes, DeclaredTypesGiveTheDialectsCodes) {
  const std::pair<const char*, DaoType> names[] = {
      {"COUNTER", kTypeLong},        {"integer", kTypeLong},
      {"Short", kTypeInteger},       {"TINYINT", kTypeByte},
      {"REAL", kTypeSingle},         {"FLOAT", kTypeDouble},
      {"Double Precision", kTypeDouble}, {"NUMBER", kTypeDouble},
      {"MONEY", kTypeCurrency},      {"DATE", kTypeDate},
      {"TIME", kTypeDate},           {"VARCHAR(30)", kTypeText},
      {"MEMO TEXT", kTypeMemo},      {"LONGTEXT", kTypeMemo},
      {"BIT", kTypeBoolean},         {"LOGICAL", kTypeBoolean},
      {"BIT VARYING(8)", kTypeVarBinary}, {"OLEOBJECT", kTypeLongBinary},
      {"VARBINARY(16)", kTypeVarBinary},  {"GUID TEXT", kTypeGuid}};
  for (const auto& [declared, type] : names) {
    ASSERT_TRUE(DialectType(declared)) << declared;
    EXPECT_EQ(DialectType(declared)->type, type) << declared;
  }
  EXPECT_EQ(DialectType("TEXT(50)")->size, 50);
  EXPECT_EQ(DialectType("TEXT")->size, 255);
  EXPECT_EQ(DialectType("CHAR ( 3 )")->size, 3);
  EXPECT_TRUE(DialectType("AUTOINCREMENT")->counter);
  EXPECT_FALSE(DialectType("BIGINT"));
  // Names the dialect does not know follow SQLite's affinity.
  EXPECT_EQ(DeclaredType("BIGINT").type, kTypeLong);
  EXPECT_EQ(DeclaredType("NVARCHAR2(9)").type, kTypeText);
  EXPECT_EQ(DeclaredType("NVARCHAR2(9)").size, 9);
  EXPECT_EQ(DeclaredType("BLOB").type, kTypeLongBinary);
  EXPECT_EQ(DeclaredType("DECIMALS").type, kTypeDouble);
}

TEST(EngineFieldTypes, StoredValuesReadBackByKindWhenTheTypeDoesNotFit) {
  using Kind = StoredValue::Kind;
  const ColumnType boolean = *DialectType("YESNO");
  EXPECT_EQ(ReadStoredValue(boolean, Kind::kInteger, -1, 0, ""), Variant(true));
  EXPECT_EQ(ReadStoredValue(boolean, Kind::kText, 0, 0, "ja"), Variant("ja"));
  const ColumnType integer = *DialectType("SHORT");
  EXPECT_EQ(ReadStoredValue(integer, Kind::kInteger, 40000, 0, ""),
            Variant(int32_t{40000}));
  EXPECT_EQ(ReadStoredValue(integer, Kind::kReal, 0, 2.5, ""), Variant(2.5));
  const ColumnType date = *DialectType("DATETIME");
  EXPECT_EQ(ReadStoredValue(date, Kind::kText, 0, 0, "2024-03-05 00:00:00"),
            Variant(DateFromParts(2024, 3, 5)));
  EXPECT_EQ(ReadStoredValue(date, Kind::kText, 0, 0, "kein Datum"),
            Variant("kein Datum"));
  const ColumnType text = *DialectType("TEXT(10)");
  EXPECT_EQ(ReadStoredValue(text, Kind::kInteger, 12, 0, ""), Variant("12"));
  EXPECT_TRUE(ReadStoredValue(text, Kind::kNull, 0, 0, "").IsNull());
}

TEST(EngineFieldTypes, StoreValueConvertsOrRefuses) {
  const ColumnType currency = *DialectType("CURRENCY");
  EXPECT_EQ(StoreValue(currency, Variant(2.25f)).real, 2.25);
  EXPECT_EQ(StoreValue(*DialectType("YESNO"), Variant(int32_t{3})).integer, -1);
  EXPECT_EQ(StoreValue(*DialectType("DATETIME"), Variant(45356.5)).bytes,
            "2024-03-05 12:00:00");
  EXPECT_EQ(StoreValue(*DialectType("MEMO"), Variant()).kind,
            StoredValue::Kind::kNull);
  EXPECT_EQ(StoreValue(*DialectType("LONGBINARY"), Variant("a")).bytes,
            std::string("a\0", 2));
  EXPECT_EQ(ErrorOf([] { StoreValue(*DialectType("VARBINARY(2)"), Variant(ByteArray{1, 2, 3})); }),
            kErrFieldTooSmall);
  EXPECT_EQ(ErrorOf([] { StoreValue(*DialectType("LONG"), Variant(3e10)); }),
            kErrNumericOverflow);
  EXPECT_EQ(ErrorOf([] { StoreValue(*DialectType("LONG"), Variant::Missing()); }),
            kErrConversion);
  EXPECT_EQ(ErrorOf([] { StoreValue(*DialectType("DATETIME"), Variant(1e9)); }),
            kErrConversion);
}

}  // namespace
}  // namespace vx::dao
