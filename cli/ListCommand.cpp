#include <nlohmann/json.hpp>

#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "platform/TextCodec.h"
#include "views/SoundListColumns.h"

namespace {

nlohmann::json RowJson(const CSoundListModel& model, uint32_t row) {
  const SoundListItem* item = model.ItemAt(row);
  const CSMSoundFile* f = item->pFile;
  static const ColumnKind kTexts[] = {COL_ID, COL_FILENAME};
  char id[kCellTextSize], fileName[kCellTextSize];
  GetCellText(&model, row, kTexts, 2, 0, id, sizeof id);
  GetCellText(&model, row, kTexts, 2, 1, fileName, sizeof fileName);

  nlohmann::json j;
  j["row"] = row + 1;
  j["kind"] = item->kind == ITEM_TAGGED ? "tagged" : item->kind == ITEM_MISSION ? "mission" : "file";
  j["id"] = Cp1252ToUtf8(id);
  j["name"] = Cp1252ToUtf8(f->m_name.GetText());
  j["fileName"] = Cp1252ToUtf8(fileName);
  j["missing"] = f->IsMissing();
  j["metafile"] = f->IsMissing() ? nlohmann::json() : nlohmann::json(f->m_data.GetFile());
  j["offset"] = f->IsMissing() ? nlohmann::json() : nlohmann::json(f->m_data.GetOffset());
  j["oggSize"] = f->m_nOggSize;
  j["wavSize"] = f->m_nWavSize;
  nlohmann::json subtitles = nlohmann::json::array();
  for (const CSMString& s : f->m_subtitles) subtitles.push_back(Cp1252ToUtf8(s.GetText()));
  j["subtitles"] = subtitles;
  if (item->kind == ITEM_TAGGED) {
    const auto* sound = static_cast<const CSMTaggedSound*>(item->pRecord);
    nlohmann::json tags = nlohmann::json::array();
    for (int32_t t = 0; t < sound->m_nTagCount; ++t) {
      const SMTagRef* ref = sound->GetTag(t);
      nlohmann::json pair;
      pair["tag"] = ref->tag;
      pair["subTag"] = ref->subTag == SMTagRef::kNoSubTag ? -1 : static_cast<int64_t>(ref->subTag);
      const CSMSoundTag* tag = ref->tag < model.pTagTable->GetCount() ? &model.pTagTable->m_pData[ref->tag] : nullptr;
      pair["tagName"] = tag ? nlohmann::json(Cp1252ToUtf8(tag->GetSubName(-1))) : nlohmann::json();
      const std::string_view sub = (tag && ref->subTag != SMTagRef::kNoSubTag) ? tag->GetSubName(static_cast<int32_t>(ref->subTag)) : std::string_view();
      pair["subTagName"] = sub.data() ? nlohmann::json(Cp1252ToUtf8(sub)) : nlohmann::json();
      tags.push_back(pair);
    }
    j["tags"] = tags;
  } else if (item->kind == ITEM_MISSION) {
    j["flags"] = static_cast<const CSMMissionSound*>(item->pRecord)->m_nFlags;
  }
  return j;
}

}  // namespace

void PrintRowsJson(const CSoundListModel& model, const std::vector<uint32_t>& rows) {
  nlohmann::json array = nlohmann::json::array();
  for (uint32_t r : rows) array.push_back(RowJson(model, r));
  std::string text = array.dump(1) + "\n";
  fwrite(text.data(), 1, text.size(), stdout);
}

namespace {

class ListCommand : public Command {
 public:
  explicit ListCommand(CLI::App& parent) {
    app = parent.add_subcommand("list", "list the sound files of a set, one row per line, cells separated by TAB");
    app->add_option("DIR", dir, kDirHelp);
    AddListOptions(app, options);
  }

  int Run() override {
    LoadedSet set;
    int status = LoadSet(dir, set);
    if (status == EXIT_USAGE) return status;
    CSoundListModel& model = set.catalogue->m_listModel;
    if (int bad = PrepareList(model, options)) return bad;
    if (options.json) {
      std::vector<uint32_t> rows(model.nCount);
      for (uint32_t r = 0; r < model.nCount; ++r) rows[r] = r;
      PrintRowsJson(model, rows);
    } else {
      std::vector<ColumnKind> kinds;
      for (int k : options.columns) kinds.push_back(static_cast<ColumnKind>(k));
      PrintRows(model, kinds);
    }
    return status;
  }

  std::string dir;
  ListOptions options;
};

}  // namespace

std::unique_ptr<Command> MakeListCommand(CLI::App& parent) { return std::make_unique<ListCommand>(parent); }
