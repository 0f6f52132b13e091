// The demo set: it loads completely, has every kind of row the filters tell apart and every kind of
// stored sound. How its sounds decode is checked against FFmpeg and sox in the export peer tests.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/support/CatalogueProbes.h"
#include "tools/AudioSets.h"

namespace {

class DemoSetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MetafileSetWriter writer;
    MakeDemoSet(writer, &manifest);
    ASSERT_TRUE(WriteAndLoad(writer, dir, catalogue));
  }
  static inline TempDir dir;
  static inline AudioSetManifest manifest;
  static inline CSoundCatalogue catalogue;
};

TEST_F(DemoSetTest, LoadsCompletelyWithEveryKindOfRowAndSound) {
  CSoundCatalogue& c = catalogue;
  EXPECT_GE(c.m_soundTags.GetCount(), 10);
  EXPECT_GE(c.m_taggedSounds.GetCount(), 55);
  EXPECT_GE(c.m_missionSounds.GetCount(), 38);
  for (int32_t i = 0; i < c.m_taggedSounds.GetCount(); ++i) EXPECT_NE(c.m_soundInfos.GetTaggedSoundInfo(i), nullptr);
  for (int32_t i = 0; i < c.m_missionSounds.GetCount(); ++i) EXPECT_NE(c.m_soundInfos.GetMissionSoundInfo(i), nullptr);

  c.m_listModel.Rebuild();
  std::set<std::string> kinds;
  std::map<const CSMSoundInfo*, std::set<const void*>> soundsOfInfo;
  std::map<uint32_t, std::set<const CSMSoundInfo*>> infosOfData;
  std::set<int32_t> dataFiles;
  uint16_t missionFlags = 0;  // every mission and sex switch, each on some row
  for (uint32_t row = 0; row < c.m_listModel.nCount; ++row) {
    const SoundListItem* item = c.m_listModel.ItemAt(row);
    const CSMSoundFile& f = *item->pFile;
    soundsOfInfo[item->pInfo].insert(item->pRecord);
    if (item->kind == ITEM_TAGGED) {
      const auto* s = static_cast<const CSMTaggedSound*>(item->pRecord);
      kinds.insert("tagged");
      for (int32_t t = 0; t < s->m_nTagCount; ++t)
        kinds.insert(s->GetTag(t)->subTag == 0xFFFFFFFF ? "tag without sub-tag" : "tag with sub-tag");
    } else if (item->kind == ITEM_MISSION) {
      missionFlags |= static_cast<const CSMMissionSound*>(item->pRecord)->m_nFlags;
    }
    if (f.IsMissing()) {
      kinds.insert(std::string(f.m_name.GetText()) == "none" ? "none" : "missing");
    } else {
      kinds.insert(f.IsOgg() ? "ogg" : "wav");
      infosOfData[f.m_data.m_nValue].insert(item->pInfo);
      dataFiles.insert(f.m_data.GetFile());
    }
  }
  for (const char* k : {"tagged", "tag with sub-tag", "tag without sub-tag", "ogg", "wav", "missing", "none"})
    EXPECT_TRUE(kinds.count(k)) << k;
  EXPECT_EQ(missionFlags & (SMF_MISSION_MASK | SMF_SEX_MASK), SMF_MISSION_MASK | SMF_SEX_MASK);

  size_t sharedInfos = 0, sharedData = 0;
  for (const auto& [info, sounds] : soundsOfInfo) sharedInfos += sounds.size() > 1;
  for (const auto& [data, infos] : infosOfData) sharedData += infos.size() > 1;
  EXPECT_GE(sharedInfos, 5u);
  EXPECT_GE(sharedData, 2u);
  EXPECT_EQ(dataFiles, (std::set<int32_t>{1, 2, 3, 4, 5}));

  // Four kinds of stored sound, mono and stereo, each longer than a twentieth of a second.
  std::set<std::pair<AudioKind, int>> formats;
  std::set<int> rates;
  for (const StoredSound& s : manifest.sounds) {
    formats.insert({s.format.kind, s.format.channels});
    if (s.format.kind != AudioKind::Ogg) rates.insert(s.format.rate);
    EXPECT_GT(s.frames, static_cast<size_t>(s.format.rate) / 20) << s.name;
  }
  EXPECT_EQ(formats.size(), 8u);
  EXPECT_EQ(rates, (std::set<int>{11025, 22050, 44100}));
}

TEST_F(DemoSetTest, SubtitlesAreWindows1252InFiveLanguages) {
  std::set<std::string> texts[5];
  for (int32_t i = 0; i < catalogue.m_soundInfos.GetLoadedCount(); ++i) {
    const CSMSoundInfo& info = catalogue.m_soundInfos.m_pData[i];
    for (int32_t k = 0; k < info.m_nFileCount; ++k)
      for (int lang = 0; lang < 5; ++lang) texts[lang].insert(std::string(info.GetFile(k)->m_subtitles[lang].GetText()));
  }
  const std::pair<int, const char*> lines[] = {
      {0, "Halt! Who goes there?"},
      {1, "Les cloches sonnent. \xC9" "coutez !"},
      {1, "\xC7" "a suffit ! Posez vos armes."},
      {2, "Il cancello \xE8 chiuso fino all'alba."},
      {3, "Gr\xFC\xDF Gott, Wanderer. Die Stra\xDF" "e ist lang."},
      {4, "\xA1" "Alto! \xBFQui\xE9n va?"}};
  for (auto [lang, text] : lines) EXPECT_TRUE(texts[lang].count(text)) << text;
  // No UTF-8 lead bytes followed by continuation bytes anywhere.
  for (const auto& lang : texts)
    for (const std::string& t : lang)
      for (size_t i = 0; i + 1 < t.size(); ++i)
        EXPECT_FALSE((static_cast<uint8_t>(t[i]) & 0xE0) == 0xC0 && (static_cast<uint8_t>(t[i + 1]) & 0xC0) == 0x80)
            << t;
}

}  // namespace
