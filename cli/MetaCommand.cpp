#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "views/HexDataView.h"
#include "views/SoundListSort.h"

namespace {

// One list page of the Meta Sound dialog: its own model, natural order, the given columns.
void PrintPage(const char* title, CSoundListModel& model, std::vector<ColumnKind> kinds) {
  SoundListSortState state;
  model.Rebuild();
  ApplySort(state, &model, kinds.data(), static_cast<int32_t>(kinds.size()));
  printf("%s\n\n", title);
  fflush(stdout);
  PrintRows(model, kinds);
  printf("\n");
}

class MetaCommand : public Command {
 public:
  explicit MetaCommand(CLI::App& parent) {
    app = parent.add_subcommand("meta", "print the four pages of the Meta Sound dialog for one row of `vantor list`");
    AddRowArguments(app, args);
    AddListOptions(app, options, false);
  }

  int Run() override {
    LoadedSet set;
    const SoundListItem* picked = nullptr;
    long row = 0;
    const int status = LoadRow(args, options, set, picked, row);
    if (status == EXIT_USAGE) return status;
    CSoundListModel& main = set.catalogue->m_listModel;
    SoundListItem item = *picked;

    CSoundListModel sounds, references, fileReferences;
    sounds.AttachLike(main);
    sounds.LoadFileList(item);
    PrintPage("Sounds", sounds, {COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE});

    references.AttachLike(main);
    references.pReference = item.pInfo;
    references.bMatchByFile = 0;
    PrintPage("References", references, {COL_NUMBER, COL_ID});

    printf("Unknown Data\n\n");
    const uint8_t* data = item.pInfo->m_unknown;
    for (const std::string& line : HexDataView::FormatLines(data)) printf("%s\n", line.c_str());
    printf("bytes 1-4 = %ld\n", static_cast<long>(HexDataView::ReadInt32(data, 1)));
    printf("bytes 5-8 = %ld\n\n", static_cast<long>(HexDataView::ReadInt32(data, 5)));
    fflush(stdout);

    fileReferences.AttachLike(main);
    fileReferences.pReference = item.pInfo;
    fileReferences.bMatchByFile = 1;
    PrintPage("File References", fileReferences, {COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE});
    return status;
  }

  std::vector<std::string> args;
  ListOptions options;
};

}  // namespace

std::unique_ptr<Command> MakeMetaCommand(CLI::App& parent) { return std::make_unique<MetaCommand>(parent); }
