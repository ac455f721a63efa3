#include "cli/aufruf.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>

#include "cli/argument_text.h"
#include "cli/outcome.h"
#include "cli/script_words.h"
#include "cli/value_text.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/dispatch.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/projekt_binding.h"

namespace vx::cli {

namespace {

constexpr const char* kCommand = "taluvek aufruf";

constexpr const char* kUsageHead =
    "Aufruf: taluvek [--ini NAME] aufruf [--json] MITGLIED [ARGUMENT ...]\n"
    "        taluvek [--ini NAME] aufruf [--json] MITGLIED=WERT\n"
    "        taluvek [--ini NAME] aufruf [--json] --let MITGLIED WERT\n"
    "        taluvek [--ini NAME] aufruf [--json] --skript DATEI\n"
    "\n"
    "Ruft ein Mitglied von cls_Projekt spät gebunden auf, wie ein Skript der\n"
    "Suite: das Objekt entsteht mit CreateObject(\"vx_Taluvek.cls_Projekt\"),\n"
    "das Mitglied wird über seinen Namen gefunden (ohne Rücksicht auf Groß-\n"
    "und Kleinschreibung). MITGLIED=WERT und --let MITGLIED WERT setzen eine\n"
    "Eigenschaft (sProjektNr, sProgKey).\n"
    "\n"
    "Nach dem Aufruf stehen das Ergebnis und jedes Argument, wie der Aufruf\n"
    "es hinterlassen hat (Methoden erhalten ihre Argumente als Referenz):\n"
    "\n"
    "  bProjektRead = True\n"
    "    Argument 1 = 7\n"
    "    Argument 2 = 4711\n"
    "\n"
    "Mit --json steht jeder Aufruf als eine Zeile JSON da:\n"
    "  {\"mitglied\": \"bProjektRead\", \"ergebnis\": true, \"argumente\": [7, \"4711\"]}\n"
    "\n"
    "Argumente: ein Argument ist ein Text. Die Bindung wandelt ihn wie die\n"
    "Laufzeit in den Typ des Parameters (\"7\" für lProjID ist die Zahl 7).\n"
    "Andere Werte schreiben sich so:\n";

constexpr const char* kUsageTail =
    "\n"
    "Skript: --skript DATEI (- für die Standardeingabe) führt einen Aufruf je\n"
    "Zeile aus, alle am selben Objekt, so dass ein Skript ein Projekt lesen,\n"
    "ändern und speichern kann:\n"
    "\n"
    "  # 4711 lesen, umbenennen, speichern\n"
    "  bProjektRead 0 4711\n"
    "  bProjektDatenWrite \"Neubau Nord\" ProBez\n"
    "  bProjWrite 0 4711\n"
    "\n"
    "Eine Zeile ist MITGLIED ARGUMENT ..., MITGLIED=WERT oder --let MITGLIED\n"
    "WERT. Wörter trennt ein Leerzeichen; '...' und \"...\" fassen Text mit\n"
    "Leerzeichen zusammen (in \"...\" stehen \\\" und \\\\ für \" und \\); # beginnt\n"
    "einen Kommentar. Das Skript wird vor dem ersten Aufruf ganz geprüft und\n"
    "hält bei der ersten Operation an, die False ergibt, und beim ersten\n"
    "falschen Aufruf.\n"
    "\n"
    "Optionen:\n"
    "  --json          jeder Aufruf als eine Zeile JSON\n"
    "  --skript DATEI  die Aufrufe aus DATEI\n"
    "  -h, --help      diese Hilfe\n"
    "\n"
    "Rückgabewert: 0 gelungen, 1 eine Operation (ein Mitglied, dessen Name mit\n"
    "b beginnt, wie bProjektRead) ergab False (lProjektErrNum und\n"
    "sProjektErrText auf der Fehlerausgabe), 2 falscher Aufruf, auch ein\n"
    "unbekanntes Mitglied, eine falsche Zahl von Argumenten oder ein Typfehler\n"
    "(mit Nummer und Text der Laufzeit).\n";

const InvokeKind kMethodOrGet =
    kInvokeMethod | kInvokePropertyGet;

struct Call {
  std::string member;
  InvokeKind kind = kMethodOrGet;
  std::vector<Variant> args;
};

std::optional<Variant> ValueOf(const std::string& text, std::string* problem) {
  std::optional<Variant> value = ArgumentValue(text);
  if (!value) *problem = "'" + text + "' ist kein Argument (siehe --help)";
  return value;
}

// The call that `words` spell, or nothing with the reason in *problem.
std::optional<Call> ParseCall(const std::vector<std::string>& words,
                              std::string* problem) {
  Call call;
  if (words.empty()) {
    *problem = "MITGLIED fehlt";
    return std::nullopt;
  }
  std::optional<Variant> value;
  if (words[0] == "--let") {
    if (words.size() != 3) {
      *problem = "--let braucht MITGLIED und WERT";
      return std::nullopt;
    }
    call.member = words[1];
    call.kind = kInvokePropertyPut;
    if (!(value = ValueOf(words[2], problem))) return std::nullopt;
    call.args.push_back(std::move(*value));
  } else if (size_t equals = words[0].find('='); equals != std::string::npos) {
    if (words.size() != 1) {
      *problem = "nach " + words[0] + " steht nichts mehr";
      return std::nullopt;
    }
    call.member = words[0].substr(0, equals);
    call.kind = kInvokePropertyPut;
    if (!(value = ValueOf(words[0].substr(equals + 1), problem))) {
      return std::nullopt;
    }
    call.args.push_back(std::move(*value));
  } else if (words[0].starts_with("--")) {
    *problem = "unbekannte Option '" + words[0] + "'";
    return std::nullopt;
  } else {
    call.member = words[0];
    for (size_t i = 1; i < words.size(); ++i) {
      if (!(value = ValueOf(words[i], problem))) return std::nullopt;
      call.args.push_back(std::move(*value));
    }
  }
  if (call.member.empty()) {
    *problem = "MITGLIED fehlt";
    return std::nullopt;
  }
  return call;
}

// Whether `member` is an operation that answers a success flag: in the
// suite's names the prefix "b" marks a boolean, and the members that answer
// one are exactly the operations (a column read by vProjektDatenRead may be
// False without anything having failed).
bool AnswersSuccessFlag(const std::string& member) {
  return !member.empty() && (member[0] == 'b' || member[0] == 'B');
}

// Makes the calls on one object and reports them.
class Caller {
 public:
  Caller(std::shared_ptr<Dispatch> object, bool json, std::ostream& out,
         std::ostream& err)
      : object_(std::move(object)), json_(json), out_(out), err_(err) {}

  // Makes `call`; `where` names the script line in messages ("" for none).
  int Run(Call call, const std::string& where) {
    std::string command = kCommand + where;
    Variant result;
    try {
      result = object_->InvokeByName(call.member, call.kind, call.args);
    } catch (const Error& e) {
      err_ << command << ": " << call.member << ": Fehler " << e.number()
           << ": " << e.description() << "\n";
      return kExitUsage;
    }
    Show(call, result);
    if (!AnswersSuccessFlag(call.member) || result != Variant(false)) {
      return kExitDone;
    }
    ReportFalse(err_, command, call.member, CLng(Property("lProjektErrNum")),
                CStr(Property("sProjektErrText")));
    return kExitFailed;
  }

 private:
  Variant Property(const std::string& name) {
    std::vector<Variant> none;
    return object_->InvokeByName(name, kInvokePropertyGet, none);
  }

  void Show(const Call& call, const Variant& result) {
    if (json_) {
      out_ << "{\"mitglied\": " << JsonString(call.member)
           << ", \"ergebnis\": " << JsonValue(result) << ", \"argumente\": [";
      for (size_t i = 0; i < call.args.size(); ++i) {
        out_ << (i == 0 ? "" : ", ") << JsonValue(call.args[i]);
      }
      out_ << "]}\n";
      return;
    }
    if (call.kind == kInvokePropertyPut) return;  // nothing to tell
    out_ << call.member << " = " << PlainText(result) << "\n";
    for (size_t i = 0; i < call.args.size(); ++i) {
      out_ << "  Argument " << i + 1 << " = " << PlainText(call.args[i])
           << "\n";
    }
  }

  std::shared_ptr<Dispatch> object_;
  bool json_;
  std::ostream& out_;
  std::ostream& err_;
};

struct Options {
  bool json = false;
  std::optional<std::string> script;
};

// A script's calls with their line numbers, or nothing after a usage
// error was reported.
std::optional<std::vector<std::pair<int, Call>>> ReadScript(
    std::istream& in, std::ostream& err) {
  std::vector<std::pair<int, Call>> calls;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string where = std::string(kCommand) + " (Zeile " +
                        std::to_string(number) + "): ";
    std::optional<std::vector<std::string>> words = ScriptWords(line);
    if (!words) {
      err << where << "Anführungszeichen nicht geschlossen\n";
      return std::nullopt;
    }
    if (words->empty()) continue;
    std::string problem;
    std::optional<Call> call = ParseCall(*words, &problem);
    if (!call) {
      err << where << problem << "\n";
      return std::nullopt;
    }
    calls.emplace_back(number, std::move(*call));
  }
  return calls;
}

std::shared_ptr<Dispatch> NewObject() {
  auto object = std::dynamic_pointer_cast<Dispatch>(
      CreateObject(kProjektProgramId));
  if (!object) Raise(430);
  return object;
}

int RunScript(const std::string& file, bool json, std::istream& standard_input,
              std::ostream& out, std::ostream& err) {
  std::ifstream stream;
  if (file != "-") {
    // A folder opens as a stream that reads nothing, which would pass as an
    // empty script.
    std::error_code ignored;
    if (!std::filesystem::is_directory(file, ignored)) stream.open(file);
    if (!stream.is_open()) {
      err << kCommand << ": kann " << file << " nicht lesen\n";
      return kExitFailed;
    }
  }
  std::istream& in = file == "-" ? standard_input : stream;
  auto calls = ReadScript(in, err);
  if (!calls) return kExitUsage;
  if (in.bad()) {
    err << kCommand << ": kann " << file << " nicht lesen\n";
    return kExitFailed;
  }
  std::shared_ptr<Dispatch> object = NewObject();
  // Every call is checked before the first one runs, so that a wrong line
  // further down never leaves the lines above it done.
  for (const auto& [number, call] : *calls) {
    try {
      object->CheckCall(object->GetIDOfName(call.member), call.kind,
                        call.args);
    } catch (const Error& e) {
      err << kCommand << " (Zeile " << number << "): " << call.member
          << ": Fehler " << e.number() << ": " << e.description() << "\n";
      return kExitUsage;
    }
  }
  Caller caller(object, json, out, err);
  for (auto& [number, call] : *calls) {
    int code =
        caller.Run(std::move(call), " (Zeile " + std::to_string(number) + ")");
    if (code != kExitDone) return code;
  }
  return kExitDone;
}

const std::string& Usage() {
  static const std::string usage =
      std::string(kUsageHead) + kArgumentSpellings + kUsageTail;
  return usage;
}

int Aufruf(const Options& options, const Invocation& call) {
  const std::vector<std::string> words = call.Rest();
  for (const std::string& word : words) {
    if (word == "--help") {
      call.out() << Usage();
      return kExitDone;
    }
  }
  try {
    if (options.script) {
      if (!words.empty()) {
        return call.UsageError("--skript und ein Aufruf zugleich");
      }
      return RunScript(*options.script, options.json, call.in(), call.out(),
                       call.err());
    }
    if (!words.empty() && words[0].starts_with("--") && words[0] != "--let") {
      return call.UsageError(call.UnknownOption(words[0], {"--let"}));
    }
    std::string problem;
    std::optional<Call> parsed = ParseCall(words, &problem);
    if (!parsed) return call.UsageError(problem);
    Caller caller(NewObject(), options.json, call.out(), call.err());
    return caller.Run(std::move(*parsed), "");
  } catch (const Error& e) {
    call.err() << kCommand << ": Fehler " << e.number() << ": "
               << e.description() << "\n";
    return kExitFailed;
  }
}

}  // namespace

void AddAufruf(CommandLine& line) {
  auto options = std::make_shared<Options>();
  CLI::App* command = line.Add(line.root(), "aufruf", Usage(),
                               [options](const Invocation& call) {
                                 return Aufruf(*options, call);
                               });
  command->add_flag("--json", options->json);
  command->add_option("--skript", options->script);
  // The call's words follow the options as they are: member names and
  // argument texts such as --null, which are no options of the command.
  command->prefix_command();
}

}  // namespace vx::cli
