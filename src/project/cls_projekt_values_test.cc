// The value forms of cls_Projekt's members: ordinary calls compile without
// ambiguity, variables still reach the by-reference forms and receive what
// they hand back, and a value form does what its by-reference form does.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "project/projekt_test_util.h"

namespace vx {
namespace {

using testing::ErrorFields;

// Each ordinary call resolves to exactly one member; an ambiguous or
// impossible call would make the requirement false.
template <typename P>
constexpr bool kOrdinaryCallsCompile = requires(
    P p, int32_t id, std::string nr, const std::string cnr, bool rv,
    Variant v, const Variant cv, std::string_view view) {
  p.bProjektNeu(id, "4711");
  p.bProjektNeu(id, nr, true);
  p.bProjektNeu(id, cnr, rv);
  p.bProjektNeu(id, nr, rv);
  p.bProjektNeu(id);
  p.bProjektRead(0, std::string("4711"));
  p.bProjektRead(0, "4711");
  p.bProjektRead(id, "4711");
  p.bProjektRead(0, nr);
  p.bProjektRead(id, cnr);
  p.bProjektRead(id, nr);
  p.bProjektRead(7, std::string(view));
  p.vProjektDatenRead("ProBez");
  p.vProjektDatenRead(3);
  p.vProjektDatenRead(cv);
  p.vProjektDatenRead(v);
  p.bProjektDatenWrite("Neubau", "ProBez");
  p.bProjektDatenWrite(1300000, "BudgetNetto");
  p.bProjektDatenWrite(Variant::Null(), 5);
  p.bProjektDatenWrite(v, "ProBez");
  p.bProjektDatenWrite(v, v);
  p.bProjektDatenWrite(cv, cv);
  p.bProjWrite(0, "4711");
  p.bProjWrite(id, nr);
  p.bProjektLock(0, "4711");
  p.bProjektLock(id, nr);
  p.bProjektUnLock(0, "4711");
  p.bProjektUnLock(id, nr);
};
static_assert(kOrdinaryCallsCompile<cls_Projekt&>);

class ProjektValuesTest : public testing::ProjektTest {
 protected:
  void SetUp() override {
    id4711 = Add("4711", "ProBez", "'Kindergarten'");
  }
  int32_t id4711 = 0;
};

// The by-reference forms still take variables and hand values back into
// them; the value forms leave the caller's constants alone and the same
// values stand in the properties.
TEST_F(ProjektValuesTest, VariablesReachTheByReferenceForms) {
  cls_Projekt p;
  int32_t id = 0;
  std::string nr = " 4711 ";
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(id, id4711);
  EXPECT_EQ(nr, "4711");

  const std::string constant = " 4711 ";
  cls_Projekt q;
  ASSERT_TRUE(q.bProjektRead(0, constant));
  EXPECT_EQ(constant, " 4711 ");
  EXPECT_EQ(q.lProjektId(), id4711);
  EXPECT_EQ(q.sProjektNr(), "4711");
}

// Read, change, save, lock and unlock through the value forms alone, and
// their failures recorded as the by-reference forms record them.
TEST_F(ProjektValuesTest, ValueFormsDoTheSameWork) {
  cls_Projekt p;
  ASSERT_TRUE(p.bProjektRead(0, "4711"));
  EXPECT_EQ(p.vProjektDatenRead("ProBez"), Variant("Kindergarten"));
  ASSERT_TRUE(p.bProjektDatenWrite("Schule", "ProBez"));
  ASSERT_TRUE(p.bProjektDatenWrite(Variant::Null(), "Bemerkung"));
  ASSERT_TRUE(p.bProjWrite(0, "4711"));
  EXPECT_EQ(Stored(id4711, "ProBez"), Variant("Schule"));
  EXPECT_TRUE(Stored(id4711, "Bemerkung").IsNull());

  ASSERT_TRUE(p.bProjektLock(id4711, ""));
  EXPECT_TRUE(CBool(Stored(id4711, "SatzLockKZ")));
  EXPECT_FALSE(p.bProjektLock(0, "4711"));
  EXPECT_EQ(ErrorFields(p),
            std::make_pair(-20, std::string("Projekt schon gesperrt!")));
  ASSERT_TRUE(p.bProjektUnLock(0, "4711"));
  EXPECT_FALSE(CBool(Stored(id4711, "SatzLockKZ")));

  // The same failure by either form: an unknown column, an unknown number.
  Variant value("x"), column("GibtEsNicht");
  cls_Projekt by_ref;
  int32_t id = 0;
  std::string nr = "4711";
  ASSERT_TRUE(by_ref.bProjektRead(id, nr));
  EXPECT_FALSE(by_ref.bProjektDatenWrite(value, column));
  EXPECT_FALSE(p.bProjektDatenWrite("x", "GibtEsNicht"));
  EXPECT_EQ(ErrorFields(p), ErrorFields(by_ref));
  nr = "9999";
  id = 0;
  EXPECT_EQ(p.bProjektRead(0, "9999"), by_ref.bProjektRead(id, nr));
  EXPECT_EQ(ErrorFields(p), ErrorFields(by_ref));
}

}  // namespace
}  // namespace vx
