#include "catalogue/MetafileLocator.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace {

class LocateCommand : public Command {
 public:
  explicit LocateCommand(CLI::App& parent) {
    app = parent.add_subcommand("locate", "say where the metafile set is found, or store the directory to use");
    app->add_option("--set", setDir, "probe DIR as the file dialog's choice would and store it on success");
  }

  int Run() override {
    std::string result;
    if (!setDir.empty()) {
      switch (StoreMetafileDirectory(setDir.c_str(), result)) {
        case StoreResult::Stored:
          printf("%s\nstored as the metafile directory\n", result.c_str());
          return EXIT_OK;
        case StoreResult::NotAMetafileSet:
          return UsageError(setDir + " does not hold the five metafiles SchemaMetafile_Memory, _HardDrive, _DVD1, "
                                     "_DVD2 and _DVD3 (.csc)");
        case StoreResult::NotWritten:
          fprintf(stderr, "vantor: %s holds a metafile set, but the setting could not be written\n", result.c_str());
          return EXIT_SOME_FAILED;
      }
    }
    MetafileLocation where;
    if (!LocateMetafiles(result, nullptr, &where)) {
      printf("none\n");
      return UsageError("Vantor has no valid path to Quarn sound files");
    }
    printf("%s\n", result.c_str());
    if (where.source == MetafileSource::StoredSetting)
      printf("from: stored setting (%s)\n", where.origin.c_str());
    else
      printf("from: game installation %s in the Wine prefix %s%s\n", where.gameRoot.c_str(), where.origin.c_str(),
             where.stored ? " (now stored as the setting)" : "");
    return EXIT_OK;
  }

  std::string setDir;
};

}  // namespace

std::unique_ptr<Command> MakeLocateCommand(CLI::App& parent) { return std::make_unique<LocateCommand>(parent); }
