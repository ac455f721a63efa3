// The bash completion as the installed script behaves in bash, and the
// manual page with its command sections as man shows it.

#include "cli/completion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/manual_sections.h"
#include "cli/taluvek.h"
#include "support/test_support.h"

namespace vx::cli {
namespace {

using testing::ReadFile;

#ifdef VX_COMPLETION_SCRIPT
constexpr const char* kScript = VX_COMPLETION_SCRIPT;
#else
constexpr const char* kScript = "";
#endif

// The words bash offers after `typed` (the words before the one being
// completed, without "taluvek") for the word beginning with `current`.
std::set<std::string> Offered(const std::vector<std::string>& typed,
                              const std::string& current,
                              const testing::TempDir& dir) {
  std::string words = "taluvek";
  for (const std::string& word : typed) words += " " + word;
  const std::string output = dir.File("offered");
  const std::string command =
      "bash -c 'source \"$0\"; COMP_WORDS=(" + words + " \"$1\"); "
      "COMP_CWORD=" + std::to_string(typed.size() + 1) + "; _taluvek; "
      "printf \"%s\\n\" \"${COMPREPLY[@]}\"' '" + kScript + "' '" + current +
      "' > '" + output + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::set<std::string> offered;
  std::istringstream lines(ReadFile(output));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) offered.insert(line);
  }
  return offered;
}

// Every command of the parser, with the words that lead to it.
void Walk(const CLI::App& command, const std::vector<std::string>& typed,
          std::vector<std::pair<std::vector<std::string>, const CLI::App*>>*
              all) {
  all->emplace_back(typed, &command);
  for (const CLI::App* sub : CommandsOf(command)) {
    std::vector<std::string> longer = typed;
    longer.push_back(sub->get_name());
    Walk(*sub, longer, all);
  }
}

class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(kScript).empty()) {
      GTEST_SKIP() << "built without VX_COMPLETION_SCRIPT";
    }
  }
  GlobalOptions options_;
  std::unique_ptr<CommandLine> line_ = MakeTaluvekCommandLine(options_);
  testing::TempDir dir_;
};

TEST_F(CompletionTest, TheInstalledScriptIsTheParsersAndValidBash) {
  EXPECT_EQ(ReadFile(kScript), BashCompletion(line_->root()));
  EXPECT_EQ(std::system(("bash -n '" + std::string(kScript) + "'").c_str()),
            0);
}

TEST_F(CompletionTest, OffersEveryCommandAndOptionWhereItBelongs) {
  std::vector<std::pair<std::vector<std::string>, const CLI::App*>> all;
  Walk(line_->root(), {}, &all);
  for (const auto& [typed, command] : all) {
    std::set<std::string> wanted;
    for (const CLI::App* sub : CommandsOf(*command)) {
      wanted.insert(sub->get_name());
    }
    for (const std::string& option : OptionsOf(*command)) wanted.insert(option);
    EXPECT_EQ(Offered(typed, "", dir_), wanted)
        << ::testing::PrintToString(typed);
  }
}

TEST_F(CompletionTest, CompletesTheWordBegun) {
  EXPECT_EQ(Offered({}, "pro", dir_), std::set<std::string>{"projekt"});
  EXPECT_EQ(Offered({"projekt"}, "s", dir_),
            (std::set<std::string>{"setzen", "sperren"}));
  // The command's own options and the value of an option do not count as
  // commands on the way.
  EXPECT_EQ(Offered({"--ini", "Andere.INI", "projekt", "zeigen"}, "--j", dir_),
            std::set<std::string>{"--json"});
  EXPECT_EQ(Offered({"einrichten", "ORDNER"}, "--er", dir_),
            std::set<std::string>{"--ersetzen"});
  // A value is left to bash's file names.
  EXPECT_EQ(Offered({"aufruf", "--skript"}, "", dir_), std::set<std::string>{});
  EXPECT_EQ(Offered({"einrichten", "--gruppe"}, "--", dir_),
            std::set<std::string>{});
}

#ifdef VX_MANUAL_PAGE
TEST(ManualPageTest, RendersWithTheHelpAndTheVersion) {
  testing::TempDir dir;
  const std::string shown = dir.File("taluvek.txt");
  const std::string command = "MANWIDTH=80 man -l '" +
                              std::string(VX_MANUAL_PAGE) + "' > '" + shown +
                              "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(shown);
  const std::string text = ReadFile(shown);
  EXPECT_NE(text.find("taluvek"), std::string::npos) << text;
  EXPECT_NE(text.find("einrichten ORDNER"), std::string::npos) << text;
  EXPECT_NE(text.find("--passwort-stdin"), std::string::npos) << text;
  EXPECT_NE(text.find(VX_TALUVEK_VERSION), std::string::npos) << text;
  EXPECT_NE(text.find("Rückgabewert"), std::string::npos) << text;
  // Each command's help as a section, as --help shows it, backslashes too.
  EXPECT_NE(text.find("BEFEHLE"), std::string::npos) << text;
  for (const char* shown_text :
       {"taluvek projekt setzen\n", "Aufruf: taluvek sprache export",
        "eingetragen als T:\\PROJEKT\\ usw.",
        "in Texten erscheinen als \\n.", "taluvek verwaltung\n"}) {
    EXPECT_NE(text.find(shown_text), std::string::npos) << shown_text;
  }
}
#endif

TEST(ManualSectionsTest, KeepEveryLineAsItIs) {
  CommandLine line("Aufruf: taluvek\n", "1");
  line.Add(line.root(), "a", ".TH Punkt\n'Apostroph\nC:\\PFAD\n");
  CLI::App* b = line.Add(line.root(), "b", "B\n");
  line.Add(*b, "c", "B\n");  // shows the text of b
  EXPECT_EQ(ManualSections(line.root()),
            "[BEFEHLE]\n"
            ".SS \"taluvek a\"\n.nf\n\\&.TH Punkt\n\\&'Apostroph\n"
            "C:\\ePFAD\n.fi\n"
            ".SS \"taluvek b\"\n.nf\nB\n.fi\n");
}

}  // namespace
}  // namespace vx::cli
