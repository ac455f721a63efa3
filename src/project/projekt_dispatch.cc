#include "project/projekt_dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dispatch_table.h"
#include "vx_taluvek/cls_projekt.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/projekt_binding.h"

namespace vx {

namespace {

using Member = DispatchMember<cls_Projekt>;

// The parameter kinds of the interface: a project's identity and number
// are handed back (in/out), column values and their index or name are
// variants in/out, the properties take their new text by value.
const Parameter kIdInOut{ParamType::kLong, /*by_ref=*/true};
const Parameter kTextInOut{ParamType::kText, /*by_ref=*/true};
const Parameter kVariantInOut{ParamType::kVariant, /*by_ref=*/true};
const Parameter kTextByValue{ParamType::kText, /*by_ref=*/false};
const Parameter kOptionalTextInOut{ParamType::kText, /*by_ref=*/true,
                                   /*optional=*/true, Variant("")};
const Parameter kOptionalBooleanInOut{ParamType::kBoolean, /*by_ref=*/true,
                                      /*optional=*/true, Variant(false)};

// The members of _cls_Projekt in the order of the interface.
const std::vector<Member>& Members() {
  static const std::vector<Member> members = {
      {"bProjektNeu", 0x60030008, kInvokeMethod,
       {kIdInOut, kOptionalTextInOut, kOptionalBooleanInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjektNeu(a.Long(0), a.Text(1), a.Boolean(2)));
       }},
      {"bProjWrite", 0x60030009, kInvokeMethod, {kIdInOut, kTextInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjWrite(a.Long(0), a.Text(1)));
       }},
      {"ProjektInit", 0x6003000A, kInvokeMethod, {},
       [](cls_Projekt& p, CallArguments&) {
         p.ProjektInit();
         return Variant();
       }},
      {"sProgKey", 0x68030007, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.sProgKey()); }},
      {"sProgKey", 0x68030007, kInvokePropertyPut, {kTextByValue},
       [](cls_Projekt& p, CallArguments& a) {
         p.sProgKey(a.Text(0));
         return Variant();
       }},
      {"sProjektBez", 0x68030006, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.sProjektBez()); }},
      {"sProjWaehrung", 0x68030005, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.sProjWaehrung());
       }},
      {"lProjektId", 0x68030004, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.lProjektId()); }},
      {"bProjektUnLockAll", 0x6003000C, kInvokeMethod, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.bProjektUnLockAll());
       }},
      {"bProjektUnLock", 0x6003000D, kInvokeMethod, {kIdInOut, kTextInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjektUnLock(a.Long(0), a.Text(1)));
       }},
      {"nProjektfieldscount", 0x68030003, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.nProjektfieldscount());
       }},
      {"bProjektDatenWrite", 0x6003000E, kInvokeMethod,
       {kVariantInOut, kVariantInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjektDatenWrite(a.Value(0), a.Value(1)));
       }},
      {"vProjektDatenRead", 0x6003000F, kInvokeMethod, {kVariantInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return p.vProjektDatenRead(a.Value(0));
       }},
      {"sProjektErrText", 0x68030002, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.sProjektErrText());
       }},
      {"lProjektErrNum", 0x68030001, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.lProjektErrNum());
       }},
      {"bProjektRead", 0x60030012, kInvokeMethod, {kIdInOut, kTextInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjektRead(a.Long(0), a.Text(1)));
       }},
      {"bProjektLock", 0x60030013, kInvokeMethod, {kIdInOut, kTextInOut},
       [](cls_Projekt& p, CallArguments& a) {
         return Variant(p.bProjektLock(a.Long(0), a.Text(1)));
       }},
      {"sProjektNr", 0x68030000, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.sProjektNr()); }},
      {"sProjektNr", 0x68030000, kInvokePropertyPut, {kTextByValue},
       [](cls_Projekt& p, CallArguments& a) {
         p.sProjektNr(a.Text(0));
         return Variant();
       }},
      {"FlurNr", 0x6803001B, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.FlurNr()); }},
      {"FlurStueckNr", 0x6803001A, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) {
         return Variant(p.FlurStueckNr());
       }},
      {"Gemeinde", 0x68030019, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.Gemeinde()); }},
      {"Gemarkung", 0x68030018, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.Gemarkung()); }},
      {"Strasse", 0x68030017, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.Strasse()); }},
      {"Land", 0x68030016, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.Land()); }},
      {"PLZ", 0x68030015, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.PLZ()); }},
      {"Ort", 0x68030014, kInvokePropertyGet, {},
       [](cls_Projekt& p, CallArguments&) { return Variant(p.Ort()); }},
  };
  return members;
}

class ProjektDispatch : public Dispatch {
 public:
  int32_t GetIDOfName(const std::string& name) override {
    return DispIdOfName(Members(), name);
  }

  Variant Invoke(int32_t dispid, InvokeKind kind,
                 std::vector<Variant>& args) override {
    return InvokeMember(Members(), projekt_, dispid, kind, args);
  }

  void CheckCall(int32_t dispid, InvokeKind kind,
                 const std::vector<Variant>& args) override {
    CheckMemberCall(Members(), dispid, kind, args);
  }

  bool SupportsInterface(const Guid& iid) override {
    return iid == kProjektInterfaceId ||
           std::find(kProjektEarlierInterfaceIds.begin(),
                     kProjektEarlierInterfaceIds.end(),
                     iid) != kProjektEarlierInterfaceIds.end();
  }

 private:
  cls_Projekt projekt_;
};

const bool registered = [] {
  RegisterComponent(kProjektProgramId, [] { return NewProjektDispatch(); });
  return true;
}();

}  // namespace

std::shared_ptr<Dispatch> NewProjektDispatch() {
  return std::make_shared<ProjektDispatch>();
}

}  // namespace vx
