#include "data/recordset_access.h"

#include "data/field_values.h"
#include "files/uexist.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int kMaxFailures = 3;
constexpr int32_t kReadOnlyOption = 4;

// Thrown out of the steps when the call gives up.
struct GiveUp {
  int32_t number;
};

// Runs the steps of one ReadRecordFields call: a step that fails is
// executed again, until the call has seen kMaxFailures failures in all.
class StepRunner {
 public:
  StepRunner(const std::string& file_name, const std::string& sql)
      : file_name_(file_name), sql_(sql) {}

  template <typename Step>
  void operator()(Step&& step) {
    for (;;) {
      try {
        step();
        return;
      } catch (const Error& e) {
        Err().Set(e);
        ShowInDesignMode(e);
        if (++failures_ >= kMaxFailures) throw GiveUp{e.number()};
      }
    }
  }

 private:
  void ShowInDesignMode(const Error& e) const {
    if (!IsDesign()) return;
    bool quick = false;
    std::string prompt =
        Uexist(file_name_, false, false, quick)
            ? "Fehler im SQL oder Datei gesperrt!\n" + sql_
            : "Datei nicht vorhanden\n" + file_name_;
    CurrentHost().MsgBox(prompt + "\n" + e.description(), kStopSystemModal,
                         "Design - ReadRecordFields");
  }

  const std::string& file_name_;
  const std::string& sql_;
  int failures_ = 0;
};

}  // namespace

void ClearVariantValue(Variant& value) {
  value = value.IsString() ? Variant(std::string()) : Variant(int16_t{0});
}

int32_t ReadRecordFields(DbHandle& db, const std::string& file_name,
                         const std::string& sql, const std::string& name1,
                         Variant& value1, bool last_record,
                         int32_t& error_number, const std::string& name2,
                         Variant& value2, const std::string& name3,
                         Variant& value3, const std::string& name4,
                         Variant& value4, const std::string& name5,
                         Variant& value5, bool exact_count, int32_t& type1,
                         int32_t& type2, const std::string& name6,
                         Variant& value6) {
  error_number = 0;
  ClearVariantValue(value1);
  ClearVariantValue(value2);
  struct Column {
    const std::string& name;
    Variant& value;
  };
  const Column further[] = {
      {name3, value3}, {name4, value4}, {name5, value5}, {name6, value6}};
  for (const Column& c : further) {
    if (!c.name.empty()) ClearVariantValue(c.value);
  }

  const bool opened_here = db == nullptr;
  std::string shown_name = file_name;
  StepRunner step(shown_name, sql);
  DbHandle local;
  RsHandle rs;
  try {
    int32_t count = 0;
    if (opened_here) {
      Variant connect(kBareConnect);
      local = OpenDb(file_name, false, Variant(int32_t{kReadOnlyOption}),
                     connect, false);
    } else {
      local = db;
      step([&] { shown_name = local->Name(); });
    }
    step([&] {
      if (!local) Raise(91);
      rs = local->OpenRecordset(sql);
    });
    step([&] { count = rs->RecordCount(); });
    if (count > 0) {
      if (last_record || exact_count) {
        step([&] { rs->MoveLast(); });
        step([&] { count = rs->RecordCount(); });
        if (!last_record) step([&] { rs->MoveFirst(); });
      }
      if (!name1.empty()) {
        step([&] { value1 = FieldValue(&rs->Fields()[name1], type1); });
      }
      if (!name2.empty()) {
        dao::Field* field = rs->Fields().Find(name2);
        if (field != nullptr) {
          step([&] { value2 = FieldValue(field, type2); });
        } else if (IsDesign()) {
          CurrentHost().MsgBox("Spalte '" + name2 + "' fehlt in\n" + sql + "\n" +
                                   Err().Description(),
                               kStopSystemModal, "Design - ReadRecordFields");
        }
      }
      for (const Column& c : further) {
        if (c.name.empty()) continue;
        dao::Field* field = rs->Fields().Find(c.name);
        if (field == nullptr) continue;
        int32_t type_code = 0;
        step([&] { c.value = FieldValue(field, type_code); });
      }
    }
    CloseRs(rs);
    if (opened_here) CloseDb(local);
    return count;
  } catch (const GiveUp& give_up) {
    // What this call opened is let go as its handles go out of scope.
    error_number = give_up.number;
    return 0;
  }
}

}  // namespace vx
