#include <nlohmann/json.hpp>
#include <algorithm>
#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "platform/RadixSort.h"

namespace {

struct SetCounts {
  int64_t tags = 0, tagged = 0, mission = 0, records = 0;
  int64_t files = 0, present = 0, missing = 0, ogg = 0, wav = 0;
  uint64_t storedBytes = 0;  // over distinct data locations
};

SetCounts Count(const CSoundCatalogue& c) {
  SetCounts n;
  n.tags = c.m_soundTags.GetCount();
  n.tagged = c.m_taggedSounds.GetCount();
  n.mission = c.m_missionSounds.GetCount();
  n.records = c.m_soundInfos.GetLoadedCount();
  struct Location {
    uint32_t address;
    uint32_t size;
  };
  std::vector<Location> locations;
  for (int64_t r = 0; r < n.records; ++r) {
    const CSMSoundInfo& info = c.m_soundInfos.m_pData[r];
    for (int32_t j = 0; j < info.m_nFileCount; ++j) {
      const CSMSoundFile* f = info.GetFile(j);
      ++n.files;
      if (f->IsMissing()) {
        ++n.missing;
        continue;
      }
      ++n.present;
      ++(f->IsOgg() ? n.ogg : n.wav);
      locations.push_back({f->m_data.m_nValue, f->GetSize()});
    }
  }
  // Stored bytes count each data location once.
  RadixSortByKey32(locations, [](const Location& l) { return l.address; });
  for (size_t i = 0; i < locations.size(); ++i)
    if (i == 0 || locations[i].address != locations[i - 1].address) n.storedBytes += locations[i].size;
  return n;
}

class InfoCommand : public Command {
 public:
  explicit InfoCommand(CLI::App& parent) {
    app = parent.add_subcommand("info", "count what a set holds");
    app->add_option("DIR", dir, kDirHelp);
    app->add_flag("--json", json, "print the counts as JSON");
  }

  int Run() override {
    LoadedSet set;
    int status = LoadSet(dir, set);
    if (status == EXIT_USAGE) return status;
    SetCounts n = Count(*set.catalogue);
    if (json) {
      nlohmann::json j = {{"tags", n.tags},
                          {"taggedSounds", n.tagged},
                          {"missionSounds", n.mission},
                          {"soundInfoRecords", n.records},
                          {"soundFiles", {{"all", n.files}, {"present", n.present}, {"missing", n.missing},
                                          {"ogg", n.ogg}, {"wav", n.wav}}},
                          {"storedBytes", n.storedBytes},
                          {"complete", set.complete}};
      printf("%s\n", j.dump(1).c_str());
    } else {
      printf("tags: %lld\n", static_cast<long long>(n.tags));
      printf("tagged sounds: %lld\n", static_cast<long long>(n.tagged));
      printf("mission sounds: %lld\n", static_cast<long long>(n.mission));
      printf("sound information records read: %lld\n", static_cast<long long>(n.records));
      printf("sound files: %lld (present %lld, missing %lld; Ogg %lld, WAV %lld)\n", static_cast<long long>(n.files),
             static_cast<long long>(n.present), static_cast<long long>(n.missing), static_cast<long long>(n.ogg),
             static_cast<long long>(n.wav));
      printf("stored bytes: %llu\n", static_cast<unsigned long long>(n.storedBytes));
      printf("load: %s\n", set.complete ? "complete" : "incomplete (metafile error)");
    }
    return status;
  }

  std::string dir;
  bool json = false;
};

}  // namespace

std::unique_ptr<Command> MakeInfoCommand(CLI::App& parent) { return std::make_unique<InfoCommand>(parent); }
