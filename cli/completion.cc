#include "cli/completion.h"

#include <set>
#include <vector>

#include "cli/command_line.h"

namespace vx::cli {

namespace {

// What bash offers for one command: its commands and options, as one
// branch of a `case` on the command's path ("/projekt/zeigen").
void AddBranches(const CLI::App& command, const std::string& path,
                 std::string* paths, std::string* branches,
                 std::set<std::string>* taking_values) {
  std::string words;
  for (const CLI::App* sub : CommandsOf(command)) {
    words += (words.empty() ? "" : " ") + sub->get_name();
  }
  for (const std::string& option : OptionsOf(command)) {
    words += (words.empty() ? "" : " ") + option;
  }
  for (const CLI::Option* option : command.get_options()) {
    if (option->get_expected_max() == 0) continue;  // a flag
    for (const std::string& name : option->get_lnames()) {
      taking_values->insert("--" + name);
    }
  }
  *branches += "    \"" + path + "\") words=\"" + words + "\" ;;\n";
  for (const CLI::App* sub : CommandsOf(command)) {
    const std::string sub_path = path + "/" + sub->get_name();
    *paths += (paths->empty() ? "" : "|") + sub_path;
    AddBranches(*sub, sub_path, paths, branches, taking_values);
  }
}

}  // namespace

std::string BashCompletion(const CLI::App& root) {
  std::string paths;
  std::string branches;
  std::set<std::string> taking_values;
  AddBranches(root, "", &paths, &branches, &taking_values);
  std::string values;
  for (const std::string& option : taking_values) {
    values += (values.empty() ? "" : "|") + option;
  }
  return "# bash completion for taluvek (made from the command's parser)\n"
         "\n"
         "_taluvek() {\n"
         "  local cur=\"${COMP_WORDS[COMP_CWORD]}\"\n"
         "  local prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
         "  local path=\"\" word words i\n"
         "  # The command typed so far: the words that name commands.\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    word=\"${COMP_WORDS[i]}\"\n"
         "    case \"$path/$word\" in\n"
         "      " + paths + ") path=\"$path/$word\" ;;\n"
         "    esac\n"
         "  done\n"
         "  # The value of an option: file names, as bash offers them.\n"
         "  case \"$prev\" in\n"
         "    " + values + ") return 0 ;;\n"
         "  esac\n"
         "  case \"$path\" in\n" +
         branches +
         "  esac\n"
         "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
         "}\n"
         "complete -o default -F _taluvek taluvek\n";
}

}  // namespace vx::cli
