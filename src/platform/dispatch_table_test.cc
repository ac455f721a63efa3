#include "platform/dispatch_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vx {
namespace {

using testing::RaisedNumber;

// An object with one member of each shape the binding has to serve.
struct Probe {
  int calls = 0;
  std::vector<Variant> received;  // what the last call got, as variants
  int32_t wert = 0;
};

const std::vector<DispatchMember<Probe>>& ProbeMembers() {
  static const std::vector<DispatchMember<Probe>> members = {
      // Zaehle(n As Long ByRef, s As String ByRef, Optional b As Boolean
      // ByRef = True, Optional v As Variant ByVal) As Boolean: counts up
      // and changes its by-reference arguments.
      {"Zaehle",
       1,
       kInvokeMethod,
       {{ParamType::kLong, true},
        {ParamType::kText, true},
        {ParamType::kBoolean, true, true, Variant(true)},
        {ParamType::kVariant, false, true}},
       [](Probe& p, CallArguments& a) {
         ++p.calls;
         p.received = {Variant(a.Long(0)), Variant(a.Text(1)),
                       Variant(a.Boolean(2)), a.Value(3)};
         a.Long(0) += 1;
         a.Text(1) += "!";
         a.Boolean(2) = !a.Boolean(2);
         a.Value(3) = Variant("not handed back");
         return Variant(true);
       }},
      {"Wert", 2, kInvokePropertyGet, {},
       [](Probe& p, CallArguments&) { return Variant(p.wert); }},
      {"Wert", 2, kInvokePropertyPut, {{ParamType::kLong, false}},
       [](Probe& p, CallArguments& a) {
         p.wert = a.Long(0);
         return Variant();
       }},
      {"NurLesen", 3, kInvokePropertyGet, {},
       [](Probe&, CallArguments&) { return Variant("fest"); }},
  };
  return members;
}

const InvokeKind kMethodOrGet =
    kInvokeMethod | kInvokePropertyGet;

class DispatchTableTest : public ::testing::Test {
 protected:
  Variant Call(int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    return InvokeMember(ProbeMembers(), probe_, dispid, kind, args);
  }
  int32_t CallError(int32_t dispid, InvokeKind kind,
                    std::vector<Variant> args) {
    return RaisedNumber([&] { Call(dispid, kind, args); });
  }

  Probe probe_;
};

TEST_F(DispatchTableTest, NamesAreFoundWithoutRegardToCase) {
  EXPECT_EQ(DispIdOfName(ProbeMembers(), "ZAEHLE"), 1);
  EXPECT_EQ(DispIdOfName(ProbeMembers(), "wert"), 2);
  EXPECT_EQ(RaisedNumber([] { DispIdOfName(ProbeMembers(), "Zaehlen"); }),
            438);
}

TEST_F(DispatchTableTest, ByReferenceArgumentsComeBackWithTheirParameterType) {
  // A text for the Long, a number for the text, a text for the boolean.
  std::vector<Variant> args = {Variant("7"), Variant(int16_t{12}),
                               Variant("False"), Variant(2.5)};
  EXPECT_EQ(Call(1, kInvokeMethod, args), Variant(true));
  EXPECT_EQ(probe_.received,
            (std::vector<Variant>{Variant(int32_t{7}), Variant("12"),
                                  Variant(false), Variant(2.5)}));
  // The by-value variant stays as the caller passed it.
  EXPECT_EQ(args, (std::vector<Variant>{Variant(int32_t{8}), Variant("12!"),
                                        Variant(true), Variant(2.5)}));

  // Accountants' negative numbers are numbers to the binding too.
  for (const char* text : {"(7)", "7-"}) {
    std::vector<Variant> put = {Variant(text)};
    Call(2, kInvokePropertyPut, put);
    EXPECT_EQ(probe_.wert, -7) << text;
  }
}

TEST_F(DispatchTableTest, OptionalArgumentsTakeTheirDefaults) {
  std::vector<Variant> left_out = {Variant(int32_t{1}), Variant("a")};
  Call(1, kInvokeMethod, left_out);
  EXPECT_EQ(probe_.received[2], Variant(true));
  EXPECT_TRUE(probe_.received[3].IsMissing());
  // Nothing is appended for what the caller left out.
  EXPECT_EQ(left_out.size(), 2u);

  std::vector<Variant> missing = {Variant(int32_t{1}), Variant("a"),
                                  Variant::Missing(), Variant::Missing()};
  Call(1, kInvokeMethod, missing);
  EXPECT_EQ(probe_.received[2], Variant(true));
  EXPECT_TRUE(probe_.received[3].IsMissing());
  // A Missing is no variable of the caller's: it is not written back.
  EXPECT_TRUE(missing[2].IsMissing());
}

TEST_F(DispatchTableTest, ArgumentCountAndOmissions) {
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant(int32_t{1})}), 450);
  EXPECT_EQ(CallError(1, kInvokeMethod,
                      {Variant(int32_t{1}), Variant("a"), Variant(true),
                       Variant(), Variant()}),
            450);
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant::Missing(), Variant("a")}),
            449);
  EXPECT_EQ(CallError(2, kInvokePropertyGet, {Variant(int32_t{1})}), 450);
  EXPECT_EQ(CallError(2, kInvokePropertyPut, {}), 450);
  EXPECT_EQ(probe_.calls, 0);
}

TEST_F(DispatchTableTest, CoercionFailuresRaiseBeforeTheMemberRuns) {
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant("sieben"), Variant("a")}),
            13);
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant::Null(), Variant("a")}), 13);
  EXPECT_EQ(CallError(1, kInvokeMethod,
                      {Variant(int32_t{1}), Variant(ObjectRef(
                                                std::make_shared<Object>()))}),
            13);
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant("3000000000"), Variant("a")}),
            6);
  EXPECT_EQ(CallError(1, kInvokeMethod, {Variant("(3000000000)"), Variant("a")}),
            6);
  EXPECT_EQ(CallError(2, kInvokePropertyPut, {Variant("x")}), 13);
  EXPECT_EQ(probe_.calls, 0);

  // A failure in a later argument leaves the earlier ones untouched.
  std::vector<Variant> args = {Variant("7"), Variant::Null()};
  EXPECT_EQ(RaisedNumber([&] { Call(1, kInvokeMethod, args); }), 13);
  EXPECT_EQ(args[0], Variant("7"));
}

TEST_F(DispatchTableTest, KindsOfCall) {
  std::vector<Variant> value = {Variant("41")};
  Call(2, kInvokePropertyPut, value);
  std::vector<Variant> none;
  EXPECT_EQ(Call(2, kInvokePropertyGet, none), Variant(int32_t{41}));
  // A caller that wants a value asks for method or get at once.
  EXPECT_EQ(Call(2, kMethodOrGet, none), Variant(int32_t{41}));
  std::vector<Variant> zaehle = {Variant(int32_t{1}), Variant("a")};
  EXPECT_EQ(Call(1, kMethodOrGet, zaehle), Variant(true));

  EXPECT_EQ(CallError(3, kInvokePropertyPut, {Variant("neu")}), 438);
  EXPECT_EQ(CallError(2, kInvokeMethod, {}), 438);
  EXPECT_EQ(CallError(1, kInvokePropertyGet,
                      {Variant(int32_t{1}), Variant("a")}),
            438);
  EXPECT_EQ(CallError(99, kMethodOrGet, {}), 438);
  EXPECT_EQ(CallError(1, static_cast<InvokeKind>(0),
                      {Variant(int32_t{1}), Variant("a")}),
            438);
}

}  // namespace
}  // namespace vx
