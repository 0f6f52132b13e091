// The man pages (docs/man) and vantor's bash completion list the options that the programs'
// --help lists: no more, no fewer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <set>

#include "tests/support/Shell.h"

namespace {

using Names = std::set<std::string>;

// Standard output and error of a shell command, which must succeed.
std::string Output(const std::string& command) {
  const ShellRun run = Run(command + " 2>&1");
  EXPECT_EQ(run.status, 0) << command << "\n" << run.out;
  return run.out;
}

Names Matches(const std::string& text, const std::regex& re) {
  Names names;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    names.insert((*it)[1]);
  return names;
}

Names Without(Names names, const Names& gone) {
  for (const auto& n : gone) names.erase(n);
  return names;
}

Names LongOnly(const Names& names) {
  Names out;
  for (const auto& n : names)
    if (n.rfind("--", 0) == 0) out.insert(n);
  return out;
}

// CLI11's help: the names at the start of the lines of "Options:" and of "Subcommands:".
struct Help {
  Names options;
  Names commands;
};

Help ParseHelp(const std::string& text) {
  Help help;
  std::string section;
  for (const std::string& line : Lines(text)) {
    if (line.empty()) continue;
    if (line[0] != ' ') {
      section = line;
      continue;
    }
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (section == "Options:" && first[0] == '-') {
      std::istringstream names(first);
      for (std::string n; std::getline(names, n, ',');) help.options.insert(n);
    } else if (section == "Subcommands:" && line.compare(0, 3, "   ") != 0) {
      help.commands.insert(first);
    }
  }
  return help;
}

Help ProgramHelp(const std::string& program) { return ParseHelp(Output(program + " --help")); }

// An scdoc source: its lines by section ("# OPTIONS" and the "## ..." below it are one section).
struct ManPage {
  std::string text;
  std::map<std::string, std::vector<std::string>> sections;

  explicit ManPage(const std::string& name) : text(Slurp(std::string(SOURCE_DIR) + "/docs/man/" + name + ".1.scd")) {
    std::string section;
    for (const std::string& line : Lines(text)) {
      if (line.rfind("# ", 0) == 0)
        section = line.substr(2);
      else
        sections[section].push_back(line);
    }
  }

  // The options that OPTIONS describes: every bold option on its unindented lines.
  Names DescribedOptions() const {
    Names names;
    for (const std::string& line : sections.at("OPTIONS"))
      if (line.rfind("*-", 0) == 0) names.merge(Matches(line, BoldOption()));
    return names;
  }
  // Every option named in bold anywhere, and on the example lines that run `program`.
  Names MentionedOptions(const std::string& program) const {
    Names names = Matches(text, BoldOption());
    for (const std::string& line : Lines(text))
      if (line.find("\t" + program + " ") == 0) names.merge(Matches(line, std::regex("\\s(--?[a-z][a-z0-9-]*)")));
    return names;
  }
  static const std::regex& BoldOption() {
    static const std::regex re("\\*(--?[a-z][a-z0-9-]*)\\*");
    return re;
  }
};

const Names kHelpNames = {"-h", "--help"};

TEST(HelpDocs, VantorManPageListsEveryCommandAndOption) {
  const std::string vantor = VANTOR_BIN;
  const Help top = ProgramHelp(vantor);
  ASSERT_FALSE(top.commands.empty());
  ManPage man("vantor");
  ASSERT_TRUE(man.sections.count("COMMANDS") && man.sections.count("OPTIONS")) << "docs/man/vantor.1.scd";

  // COMMANDS: one unindented synopsis line per command, with every option of its --help.
  std::map<std::string, Names> synopsis;
  const std::regex commandLine("^\\*([a-z]+)\\*");
  for (const std::string& line : man.sections.at("COMMANDS")) {
    std::smatch m;
    if (std::regex_search(line, m, commandLine)) synopsis[m[1]] = Matches(line, ManPage::BoldOption());
  }
  Names documented;
  for (const auto& [command, options] : synopsis) documented.insert(command);
  EXPECT_EQ(documented, top.commands);

  Names all = top.options;
  for (const std::string& command : top.commands) {
    const Names options = ProgramHelp(vantor + " " + command).options;
    all.insert(options.begin(), options.end());
    EXPECT_EQ(synopsis[command], Without(options, kHelpNames)) << "vantor " << command;
  }
  EXPECT_EQ(man.DescribedOptions(), all);
  const Names mentioned = man.MentionedOptions("vantor");
  EXPECT_EQ(Without(mentioned, all), Names{}) << "options of the man page that vantor does not take";
}

// vantor-mkset's and the desktop program's pages list their options; every page's title line,
// name(1) "Quarn Vantor VERSION", holds what --version prints.
TEST(HelpDocs, OtherManPagesListTheirOptionsAndEveryVersionAgrees) {
  std::vector<std::pair<std::string, std::string>> programs = {{VANTOR_BIN, "vantor"}, {MKSET_BIN, "vantor-mkset"}};
#ifdef QUARN_VANTOR_BIN
  programs.emplace_back(QUARN_VANTOR_BIN, "quarn-vantor");
#endif
  const std::regex title("^[a-z-]+\\(1\\) \"Quarn Vantor ([^\"]+)\"");
  for (const auto& [binary, name] : programs) {
    ManPage man(name);
    std::smatch m;
    const std::string head = Lines(man.text).at(0);
    ASSERT_TRUE(std::regex_search(head, m, title)) << head;
    EXPECT_EQ(Output("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + binary + " --version"),
              name + " " + m[1].str() + "\n");
    if (name == "vantor") continue;  // VantorManPageListsEveryCommandAndOption
    const Help help = ProgramHelp(binary);
    ASSERT_FALSE(help.options.empty()) << name;
    ASSERT_TRUE(man.sections.count("OPTIONS")) << name;
    EXPECT_EQ(man.DescribedOptions(), help.options) << name;
    EXPECT_EQ(Without(LongOnly(man.MentionedOptions(name)), help.options), Names{}) << name;
  }
}

// Completes `line` (typed up to its end) with vantor's completion in bash, from directory `cwd`.
std::vector<std::string> Complete(const TempDir& cwd, const std::string& line) {
  static const char kHarness[] = R"(source /usr/share/bash-completion/bash_completion
source "$1"
compopt() { :; }
COMP_LINE=$2 COMP_POINT=${#2}
read -ra COMP_WORDS <<<"$COMP_LINE"
[[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_vantor vantor "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";
  std::ofstream(cwd.file("harness.sh")) << kHarness;
  std::vector<std::string> words;
  for (const std::string& w : Lines(Output("cd " + cwd.path() + " && bash harness.sh " + SOURCE_DIR +
                                           "/packaging/vantor.bash-completion '" + line + "'")))
    if (!w.empty()) words.push_back(w);
  return words;
}

Names AsNames(const std::vector<std::string>& words) { return Names(words.begin(), words.end()); }

TEST(HelpDocs, BashCompletionOffersWhatHelpLists) {
  ASSERT_EQ(access("/usr/share/bash-completion/bash_completion", R_OK), 0) << "bash-completion (scripts/setup.sh)";
  TempDir cwd;
  const Help top = ProgramHelp(VANTOR_BIN);
  Names first = top.commands;
  first.merge(LongOnly(top.options));
  EXPECT_EQ(AsNames(Complete(cwd, "vantor ")), first);
  for (const std::string& command : top.commands)
    EXPECT_EQ(AsNames(Complete(cwd, "vantor " + command + " --")), LongOnly(ProgramHelp(std::string(VANTOR_BIN) + " " + command).options))
        << "vantor " << command;

  // Column kinds, also after the commas of a list; directories for DIR, --out and --set.
  EXPECT_EQ(Complete(cwd, "vantor list --columns 2,"),
            (std::vector<std::string>{"2,0", "2,1", "2,2", "2,3", "2,4", "2,5", "2,6", "2,7", "2,8", "2,9"}));
  EXPECT_EQ(Complete(cwd, "vantor list --sort ").size(), 10u);
  std::filesystem::create_directories(cwd.file("sets/demo"));
  std::ofstream(cwd.file("sets/SchemaMetafile.csc")) << "";
  std::ofstream(cwd.file("sets/notes.txt")) << "";
  EXPECT_EQ(AsNames(Complete(cwd, "vantor info sets/")), (Names{"sets/demo", "sets/SchemaMetafile.csc"}));
  EXPECT_EQ(Complete(cwd, "vantor extract --out sets/"), std::vector<std::string>{"sets/demo"});
  EXPECT_EQ(Complete(cwd, "vantor locate --set sets/"), std::vector<std::string>{"sets/demo"});
}

}  // namespace
