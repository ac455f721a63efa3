#include "cli/command_line.h"

#include <memory>
#include <utility>

#include "cli/nearest_word.h"
#include "cli/outcome.h"

namespace vx::cli {

namespace {

// Shows a command's own German help text instead of the parser's.
class FixedHelp : public CLI::Formatter {
 public:
  explicit FixedHelp(std::string text) : text_(std::move(text)) {}
  std::string make_help(const CLI::App*, std::string,
                        CLI::AppFormatMode) const override {
    return text_;
  }

 private:
  std::string text_;
};

void SetHelp(CLI::App& command, std::string help) {
  command.formatter(std::make_shared<FixedHelp>(std::move(help)));
  command.set_help_flag("-h,--help", "diese Hilfe");
  // Whatever the parser does not know stays for the check after parsing,
  // which names it in German with a suggestion.
  command.allow_extras();
}

// The commands from `root` down to the one called, which comes last.
std::vector<const CLI::App*> CalledPath(const CLI::App& root) {
  std::vector<const CLI::App*> path{&root};
  for (std::vector<CLI::App*> called = root.get_subcommands();
       !called.empty(); called = called.front()->get_subcommands()) {
    path.push_back(called.front());
  }
  return path;
}

std::vector<std::string> NamesOf(const std::vector<const CLI::App*>& commands) {
  std::vector<std::string> names;
  for (const CLI::App* command : commands) names.push_back(command->get_name());
  return names;
}

// `what` followed by the suggestion of the word of `known` nearest to
// `given`, if there is one.
std::string WithSuggestion(std::string what, const std::string& given,
                           const std::vector<std::string>& known) {
  const std::string nearest = NearestWord(given, known);
  if (!nearest.empty()) what += ", meinten Sie '" + nearest + "'?";
  return what;
}

// The usage error that a word the parser left over makes, in `command`.
std::string LeftOverWord(const CLI::App& command, const std::string& word) {
  if (word.size() > 1 && word[0] == '-') return UnknownOption(command, word);
  const std::vector<const CLI::App*> commands = CommandsOf(command);
  if (!commands.empty() && command.get_subcommands().empty()) {
    return WithSuggestion("unbekannter Befehl '" + word + "'", word,
                          NamesOf(commands));
  }
  return "überzähliges Argument '" + word + "'";
}

// The German for an option given without its value, more than once, or
// with a value it does not take.  The parser's messages name the option
// first ("--id: 1 required TEXT missing"), or after "Could not convert: "
// ("Could not convert: --json = nein").
std::string WrongValue(const CLI::ParseError& error) {
  std::string message = error.what();
  const std::string convert = "Could not convert: ";
  if (message.starts_with(convert)) message.erase(0, convert.size());
  const std::string option = message.substr(0, message.find_first_of(": "));
  if (message.find("missing") != std::string::npos) {
    return option + " ohne Wert";
  }
  if (message.find("At Most") != std::string::npos) {
    return option + " mehr als einmal";
  }
  return "falscher Wert für " + option;
}

}  // namespace

std::string CommandName(const CLI::App& command) {
  std::string name = command.get_name();
  for (const CLI::App* above = command.get_parent(); above != nullptr;
       above = above->get_parent()) {
    name = above->get_name() + " " + name;
  }
  return name;
}

int ReportUsageError(const CLI::App& command, const std::string& what,
                     std::ostream& err) {
  const std::string name = CommandName(command);
  err << name << ": " << what << " (Hilfe: " << name << " --help)\n";
  return kExitUsage;
}

std::string UnknownOption(const CLI::App& command, const std::string& word,
                          const std::vector<std::string>& also_known) {
  const std::string option = word.substr(0, word.find('='));
  std::vector<std::string> known = OptionsOf(command);
  known.insert(known.end(), also_known.begin(), also_known.end());
  return WithSuggestion("unbekannte Option '" + option + "'", option, known);
}

std::vector<const CLI::App*> CommandsOf(const CLI::App& command) {
  return command.get_subcommands([](const CLI::App*) { return true; });
}

std::vector<std::string> OptionsOf(const CLI::App& command) {
  std::vector<std::string> options;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      options.push_back("--" + name);
    }
  }
  return options;
}

std::string Invocation::Name() const { return CommandName(command_); }

int Invocation::UsageError(const std::string& what) const {
  return ReportUsageError(command_, what, console_.err);
}

std::string Invocation::UnknownOption(
    const std::string& word, const std::vector<std::string>& also_known) const {
  return cli::UnknownOption(command_, word, also_known);
}

CommandLine::CommandLine(std::string help, const std::string& version)
    : root_("", "taluvek") {
  SetHelp(root_, std::move(help));
  root_.set_version_flag("--version",
                         "taluvek (vx_taluvek) " + version, "die Version");
}

CLI::App* CommandLine::Add(CLI::App& parent, const std::string& name,
                           std::string help, Work work) {
  CLI::App* command = parent.add_subcommand(name);
  SetHelp(*command, std::move(help));
  if (work) work_[command] = std::move(work);
  return command;
}

const CLI::App* CommandLine::Parse(const std::vector<std::string>& args,
                                   const Console& console, int* exit_code) {
  *exit_code = kExitUsage;
  // The parser takes the arguments last one first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    root_.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    console.out << root_.help();
    *exit_code = kExitDone;
    return nullptr;
  } catch (const CLI::CallForVersion& version) {
    console.out << version.what() << "\n";
    *exit_code = kExitDone;
    return nullptr;
  } catch (const CLI::ParseError& error) {
    // Nothing else is expected: the parser passes unknown words on to the
    // check below.
    const bool wrong_value =
        dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr ||
        dynamic_cast<const CLI::ConversionError*>(&error) != nullptr;
    ReportUsageError(*CalledPath(root_).back(),
                     wrong_value ? WrongValue(error)
                                 : "falscher Aufruf (" +
                                       std::string(error.what()) + ")",
                     console.err);
    return nullptr;
  }
  const std::vector<const CLI::App*> path = CalledPath(root_);
  for (const CLI::App* command : path) {
    if (command->get_prefix_command()) continue;  // its work takes the rest
    std::vector<std::string> left = command->remaining();
    // The parser keeps the "--" that ends the options among the extras.
    std::erase(left, "--");
    if (!left.empty()) {
      ReportUsageError(*command, LeftOverWord(*command, left.front()),
                       console.err);
      return nullptr;
    }
  }
  const CLI::App* called = path.back();
  if (!work_.contains(called)) {
    std::string names;
    for (const CLI::App* command : CommandsOf(*called)) {
      names += (names.empty() ? "" : ", ") + command->get_name();
    }
    ReportUsageError(*called, "BEFEHL fehlt (" + names + ")", console.err);
    return nullptr;
  }
  return called;
}

int CommandLine::Run(const CLI::App& command, const Console& console) const {
  return work_.at(&command)(Invocation(command, console));
}

}  // namespace vx::cli
