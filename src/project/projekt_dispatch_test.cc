#include "project/projekt_dispatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "project/projekt_test_util.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/projekt_binding.h"

namespace vx {
namespace {

using testing::ProjektTest;
using testing::RaisedNumber;

const InvokeKind kValue =
    kInvokeMethod | kInvokePropertyGet;

// Every member of _cls_Projekt with its dispatch identifier.
const std::vector<std::pair<std::string, int32_t>> kMembers = {
    {"bProjektNeu", 0x60030008},
    {"bProjWrite", 0x60030009},
    {"ProjektInit", 0x6003000A},
    {"sProgKey", 0x68030007},
    {"sProjektBez", 0x68030006},
    {"sProjWaehrung", 0x68030005},
    {"lProjektId", 0x68030004},
    {"bProjektUnLockAll", 0x6003000C},
    {"bProjektUnLock", 0x6003000D},
    {"nProjektfieldscount", 0x68030003},
    {"bProjektDatenWrite", 0x6003000E},
    {"vProjektDatenRead", 0x6003000F},
    {"sProjektErrText", 0x68030002},
    {"lProjektErrNum", 0x68030001},
    {"bProjektRead", 0x60030012},
    {"bProjektLock", 0x60030013},
    {"sProjektNr", 0x68030000},
    {"FlurNr", 0x6803001B},
    {"FlurStueckNr", 0x6803001A},
    {"Gemeinde", 0x68030019},
    {"Gemarkung", 0x68030018},
    {"Strasse", 0x68030017},
    {"Land", 0x68030016},
    {"PLZ", 0x68030015},
    {"Ort", 0x68030014},
};

class ProjektDispatchTest : public ProjektTest {
 protected:
  ProjektDispatchTest()
      : object(std::dynamic_pointer_cast<Dispatch>(
            CreateObject(kProjektProgramId))) {}

  Variant Call(const std::string& name, std::vector<Variant>& args) {
    return object->InvokeByName(name, kValue, args);
  }
  Variant Call(const std::string& name, std::vector<Variant>&& args = {}) {
    return Call(name, args);
  }
  Variant Get(const std::string& name) {
    std::vector<Variant> none;
    return object->InvokeByName(name, kInvokePropertyGet, none);
  }
  void Let(const std::string& name, Variant value) {
    std::vector<Variant> args = {std::move(value)};
    object->InvokeByName(name, kInvokePropertyPut, args);
  }
  // The error a wrong call raises; checking the call before making it
  // finds the same.
  int32_t ErrorOf(const std::string& name, InvokeKind kind,
                  std::vector<Variant> args) {
    const int32_t checked = RaisedNumber(
        [&] { object->CheckCall(object->GetIDOfName(name), kind, args); });
    const int32_t called =
        RaisedNumber([&] { object->InvokeByName(name, kind, args); });
    EXPECT_EQ(checked, called) << name;
    return called;
  }

  std::shared_ptr<Dispatch> object;
};

TEST_F(ProjektDispatchTest, IsCreatedByProgramIdentifierAndKnowsItsInterfaces) {
  ASSERT_NE(object, nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Dispatch>(
                CreateObject("VX_TALUVEK.CLS_PROJEKT")),
            nullptr);
  // Each creation is an object of its own.
  EXPECT_NE(CreateObject(kProjektProgramId), CreateObject(kProjektProgramId));

  EXPECT_EQ(kProjektClassId.ToString(),
            "{AEF68CD7-8D67-4206-8F10-A4E854A38F74}");
  EXPECT_EQ(kProjektInterfaceId.ToString(),
            "{3181763E-402D-44A2-B18B-0A9CF4F972FF}");
  EXPECT_EQ(kProjektTypeLibId.ToString(),
            "{CBD4251E-E3B9-4608-8B03-B53D07318551}");

  EXPECT_TRUE(object->SupportsInterface(kProjektInterfaceId));
  for (const Guid& earlier : kProjektEarlierInterfaceIds) {
    EXPECT_TRUE(object->SupportsInterface(earlier));
  }
  EXPECT_FALSE(object->SupportsInterface(kProjektClassId));
  EXPECT_FALSE(object->SupportsInterface(kProjektTypeLibId));
  EXPECT_FALSE(object->SupportsInterface(Guid{}));
}

TEST_F(ProjektDispatchTest, EveryMemberHasItsIdentifierInAnyCase) {
  for (const auto& [name, dispid] : kMembers) {
    EXPECT_EQ(object->GetIDOfName(name), dispid) << name;
    EXPECT_EQ(object->GetIDOfName(UCase(name)), dispid) << name;
  }
}

TEST_F(ProjektDispatchTest, ReadChangeAndSaveByName) {
  int32_t id = Add("4711",
                   "ProBez, ProWaehrung, ProStrasse, ProPLZ, ProOrt, ProLand, "
                   "Gemeinde, Gemarkung, FlurNr, FlurStueckNr",
                   "'Neubau', 'EUR', 'Hauptstr. 1', '12345', 'Altdorf', 'BY', "
                   "'Neudorf', 'Altmark', '7', '12/3'");
  // Identity as a text and number as a number: coerced on the way in,
  // handed back with the parameters' types.
  std::vector<Variant> args = {Variant("0"), Variant(int32_t{4711})};
  EXPECT_EQ(Call("bProjektRead", args), Variant(true));
  EXPECT_EQ(args, (std::vector<Variant>{Variant(id), Variant("4711")}));

  EXPECT_EQ(Get("sProjektNr"), Variant("4711"));
  EXPECT_EQ(Get("lProjektId"), Variant(id));
  EXPECT_EQ(Get("sProjektBez"), Variant("Neubau"));
  EXPECT_EQ(Get("sProjWaehrung"), Variant("EUR"));
  EXPECT_EQ(Get("Strasse"), Variant("Hauptstr. 1"));
  EXPECT_EQ(Get("PLZ"), Variant("12345"));
  EXPECT_EQ(Get("Ort"), Variant("Altdorf"));
  EXPECT_EQ(Get("Land"), Variant("BY"));
  EXPECT_EQ(Get("Gemeinde"), Variant("Neudorf"));
  EXPECT_EQ(Get("Gemarkung"), Variant("Altmark"));
  EXPECT_EQ(Get("FlurNr"), Variant("7"));
  EXPECT_EQ(Get("FlurStueckNr"), Variant("12/3"));

  // The index or name argument is a variant in/out: it comes back as given.
  std::vector<Variant> column = {Variant(" probez ")};
  EXPECT_EQ(Call("vProjektDatenRead", column), Variant("Neubau"));
  EXPECT_EQ(column, (std::vector<Variant>{Variant(" probez ")}));

  std::vector<Variant> change = {Variant("Umbau"), Variant("ProBez")};
  EXPECT_EQ(Call("bProjektDatenWrite", change), Variant(true));
  std::vector<Variant> save = {Variant(int32_t{0}), Variant("4711")};
  EXPECT_EQ(Call("bProjWrite", save), Variant(true));
  EXPECT_EQ(save[0], Variant(id));
  EXPECT_EQ(Stored(id, "ProBez"), Variant("Umbau"));
}

TEST_F(ProjektDispatchTest, EveryMethodByIdentifier) {
  int32_t id = Add("O'Neil", "ProBez", "'Altbau'");
  std::vector<Variant> none;
  std::vector<Variant> ids = {Variant(id), Variant("")};
  EXPECT_EQ(object->Invoke(0x60030012, kValue, ids), Variant(true));
  EXPECT_EQ(ids[1], Variant("O'Neil"));
  EXPECT_EQ(object->Invoke(0x68030000, kInvokePropertyGet, none),
            Variant("O'Neil"));

  std::vector<Variant> read = {Variant(int16_t{2})};
  EXPECT_EQ(object->Invoke(0x6003000F, kValue, read), Variant("Altbau"));
  std::vector<Variant> write = {Variant::Null(), Variant("ProBez")};
  EXPECT_EQ(object->Invoke(0x6003000E, kValue, write), Variant(true));
  std::vector<Variant> save = {Variant(id), Variant("")};
  EXPECT_EQ(object->Invoke(0x60030009, kValue, save), Variant(true));
  // The save writes null into a text column as the empty text.
  EXPECT_EQ(Stored(id, "ProBez"), Variant(""));

  std::vector<Variant> lock = {Variant(int32_t{0}), Variant("O'Neil")};
  EXPECT_EQ(object->Invoke(0x60030013, kValue, lock), Variant(true));
  EXPECT_EQ(object->Invoke(0x60030013, kValue, lock), Variant(false));
  EXPECT_EQ(object->Invoke(0x68030001, kInvokePropertyGet, none),
            Variant(int32_t{-20}));
  EXPECT_EQ(object->Invoke(0x68030002, kInvokePropertyGet, none),
            Variant("Projekt schon gesperrt!"));
  std::vector<Variant> unlock = {Variant(id), Variant("")};
  EXPECT_EQ(object->Invoke(0x6003000D, kValue, unlock), Variant(true));
  EXPECT_EQ(object->Invoke(0x60030013, kValue, lock), Variant(true));
  EXPECT_EQ(object->Invoke(0x6003000C, kValue, none), Variant(true));
  EXPECT_EQ(Stored(id, "SatzLockKZ"), Variant(false));

  EXPECT_EQ(object->Invoke(0x6003000A, kInvokeMethod, none), Variant());
  EXPECT_EQ(object->Invoke(0x68030004, kInvokePropertyGet, none),
            Variant(int32_t{-1}));
}

TEST_F(ProjektDispatchTest, EveryPropertyAnswersAlikeByNameAndByIdentifier) {
  Add("4711", "ProBez, FlurNr, ProOrt", "'Neubau', '7', 'Altdorf'");
  Call("bProjektRead", {Variant(int32_t{0}), Variant("4711")});
  std::vector<Variant> none;
  for (const auto& [name, dispid] : kMembers) {
    if (name.front() == 'b' || name == "ProjektInit" ||
        name == "vProjektDatenRead") {
      continue;  // methods
    }
    EXPECT_EQ(object->Invoke(dispid, kInvokePropertyGet, none), Get(name))
        << name;
  }
  EXPECT_EQ(object->Invoke(0x6803001B, kInvokePropertyGet, none),
            Variant("7"));
}

TEST_F(ProjektDispatchTest, PropertiesThatCanBeSet) {
  Let("sProjektNr", Variant("  4711 "));
  EXPECT_EQ(Get("sProjektNr"), Variant("4711"));
  // A number is taken as its text.
  Let("SPROJEKTNR", Variant(int32_t{42}));
  EXPECT_EQ(Get("sProjektNr"), Variant("42"));

  Let("sProgKey", Variant("Andere.INI"));
  EXPECT_EQ(Get("sProgKey"), Variant("Andere.INI"));
  EXPECT_EQ(State().sProgKey, "Andere.INI");
}

TEST_F(ProjektDispatchTest, FailedOperationsAnswerFalseWithoutRaising) {
  std::vector<Variant> args = {Variant(int32_t{0}), Variant("fehlt")};
  EXPECT_EQ(Call("bProjektRead", args), Variant(false));
  // A failed read leaves the caller's variables as they were.
  EXPECT_EQ(args,
            (std::vector<Variant>{Variant(int32_t{0}), Variant("fehlt")}));
  EXPECT_EQ(Get("lProjektErrNum"), Variant(int32_t{3021}));
  EXPECT_EQ(Call("vProjektDatenRead", {Variant(int32_t{0})}), Variant());
}

TEST_F(ProjektDispatchTest, WrongCallsRaiseTheRunTimesErrors) {
  // Property let on properties that have only a get, and the reverse.
  EXPECT_EQ(ErrorOf("lProjektId", kInvokePropertyPut, {Variant(int32_t{5})}),
            438);
  EXPECT_EQ(ErrorOf("bProjektRead", kInvokePropertyGet,
                    {Variant(int32_t{0}), Variant("x")}),
            438);
  EXPECT_EQ(ErrorOf("Unbekannt", kValue, {}), 438);

  EXPECT_EQ(ErrorOf("bProjektRead", kValue, {Variant(int32_t{0})}), 450);
  EXPECT_EQ(ErrorOf("bProjektUnLockAll", kValue, {Variant(true)}), 450);
  EXPECT_EQ(ErrorOf("lProjektErrNum", kInvokePropertyGet, {Variant(1)}), 450);
  EXPECT_EQ(ErrorOf("sProjektNr", kInvokePropertyPut, {}), 450);
  EXPECT_EQ(ErrorOf("bProjektLock", kValue, {Variant::Missing(), Variant("x")}),
            449);
  EXPECT_EQ(ErrorOf("vProjektDatenRead", kValue, {Variant::Missing()}), 449);

  EXPECT_EQ(ErrorOf("bProjektRead", kValue, {Variant("abc"), Variant("4711")}),
            13);
  EXPECT_EQ(
      ErrorOf("bProjWrite", kValue, {Variant(int32_t{0}), Variant::Null()}),
      13);
  EXPECT_EQ(ErrorOf("sProjektNr", kInvokePropertyPut, {Variant::Null()}), 13);
  EXPECT_EQ(ErrorOf("bProjektLock", kValue, {Variant(3e9), Variant("x")}), 6);

  // A right call passes the check and is not made by it.
  const int32_t id = Add("4711");
  object->CheckCall(object->GetIDOfName("bprojektlock"), kValue,
                    {Variant(id), Variant("")});
  EXPECT_EQ(Stored(id, "SatzLockKZ"), Variant(false));

  // The raised error carries the run time's description.
  try {
    std::vector<Variant> none;
    object->InvokeByName("bProjektRead", kValue, none);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 450);
    EXPECT_EQ(e.description(),
              "Wrong number of arguments or invalid property assignment");
  }
}

}  // namespace
}  // namespace vx
