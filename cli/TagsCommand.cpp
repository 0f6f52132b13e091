#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace {

class TagsCommand : public Command {
 public:
  explicit TagsCommand(CLI::App& parent) {
    app = parent.add_subcommand("tags", "print the tag tree: each tag, then its sub-tags indented by two blanks");
    app->add_option("DIR", dir, kDirHelp);
  }

  int Run() override {
    LoadedSet set;
    int status = LoadSet(dir, set);
    if (status == EXIT_USAGE) return status;
    const CSMSoundTagTable& tags = set.catalogue->m_soundTags;
    for (int32_t i = 0; i < tags.GetCount(); ++i) {
      const CSMSoundTag& tag = tags.m_pData[i];
      const std::string_view name = tag.GetSubName(-1);
      printf("%s\n", EscapeText(name.substr(name.empty() ? 0 : 1)).c_str());
      for (int j = 0; j < tag.m_nSubCount; ++j) printf("  %s\n", EscapeText(tag.GetSubName(j)).c_str());
    }
    return status;
  }

  std::string dir;
};

}  // namespace

std::unique_ptr<Command> MakeTagsCommand(CLI::App& parent) { return std::make_unique<TagsCommand>(parent); }
