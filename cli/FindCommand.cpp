#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "views/SoundListFind.h"

namespace {

constexpr int kExitNoMatch = 1;

class FindCommand : public Command {
 public:
  explicit FindCommand(CLI::App& parent) {
    app = parent.add_subcommand(
        "find",
        "list the rows of `vantor list` that hold TEXT in any cell of column kinds 0 to 9, shown or not, "
        "ignoring case and accents; each line starts with the row number that `vantor meta` and `vantor play` take. "
        "Exit status 0 with matches, 1 without");
    app->add_option("args", args, std::string("[DIR] TEXT: ") + kDirHelp + "; TEXT, the text to find (UTF-8)")
        ->expected(1, 2)
        ->required();
    AddListOptions(app, options);
  }

  int Run() override {
    const CFindQuery query(args.back());
    if (query.IsEmpty()) return UsageError("TEXT must not be empty");
    LoadedSet set;
    const int status = LoadSet(args.size() == 2 ? args[0] : std::string(), set);
    if (status == EXIT_USAGE) return status;
    CSoundListModel& model = set.catalogue->m_listModel;
    if (int bad = PrepareList(model, options)) return bad;

    std::vector<uint32_t> rows;
    for (uint32_t r = 0; r < model.nCount; ++r)
      if (RowMatches(model, r, query)) rows.push_back(r);
    if (options.json) {
      PrintRowsJson(model, rows);
    } else {
      std::vector<ColumnKind> kinds;
      for (int k : options.columns) kinds.push_back(static_cast<ColumnKind>(k));
      PrintRows(model, kinds, &rows, true);
    }
    if (status != EXIT_OK) return status;
    return rows.empty() ? kExitNoMatch : EXIT_OK;
  }

  std::vector<std::string> args;
  ListOptions options;
};

}  // namespace

std::unique_ptr<Command> MakeFindCommand(CLI::App& parent) { return std::make_unique<FindCommand>(parent); }
