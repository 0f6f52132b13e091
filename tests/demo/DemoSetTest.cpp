// The demo set: it loads completely, has every kind of row the filters tell apart, and every
// stored sound decodes with FFmpeg to the length and level it was generated with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "catalogue/SoundCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/AudioSets.h"

namespace {

class DemoSetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    writer_ = new MetafileSetWriter;
    manifest_ = new AudioSetManifest;
    MakeDemoSet(*writer_, manifest_);
    ASSERT_TRUE(writer_->Write(dir_->path()));
  }
  static void TearDownTestSuite() {
    delete manifest_;
    delete writer_;
    delete dir_;
  }
  static TempDir* dir_;
  static MetafileSetWriter* writer_;
  static AudioSetManifest* manifest_;
};
TempDir* DemoSetTest::dir_ = nullptr;
MetafileSetWriter* DemoSetTest::writer_ = nullptr;
AudioSetManifest* DemoSetTest::manifest_ = nullptr;

TEST_F(DemoSetTest, LoadsCompletelyWithEveryKindOfRow) {
  CSoundCatalogue c;
  ASSERT_TRUE(c.Load(dir_->dir().c_str(), nullptr, nullptr));
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
      uint16_t flags = static_cast<const CSMMissionSound*>(item->pRecord)->m_nFlags;
      for (int m = 0; m < 6; ++m)
        if (flags & (SMF_MISSION_01 << m)) kinds.insert("m0" + std::to_string(m + 1));
      if (flags & SMF_MISSION_OTHER) kinds.insert("other mission");
      if (flags & SMF_SEX_MALE) kinds.insert("male");
      if (flags & SMF_SEX_FEMALE) kinds.insert("female");
      if (flags & SMF_SEX_OTHER) kinds.insert("other sex");
    }
    if (f.IsMissing())
      kinds.insert(std::string(f.m_name.GetText()) == "none" ? "none" : "missing");
    else
      kinds.insert(f.IsOgg() ? "ogg" : "wav");
    if (!f.IsMissing()) {
      infosOfData[f.m_data.m_nValue].insert(item->pInfo);
      dataFiles.insert(f.m_data.GetFile());
    }
  }
  for (const char* k : {"tagged", "tag with sub-tag", "tag without sub-tag", "m01", "m02", "m03", "m04", "m05", "m06",
                        "other mission", "male", "female", "other sex", "ogg", "wav", "missing", "none"})
    EXPECT_TRUE(kinds.count(k)) << k;

  size_t sharedInfos = 0, sharedData = 0;
  for (const auto& [info, sounds] : soundsOfInfo) sharedInfos += sounds.size() > 1;
  for (const auto& [data, infos] : infosOfData) sharedData += infos.size() > 1;
  EXPECT_GE(sharedInfos, 5u);
  EXPECT_GE(sharedData, 2u);
  EXPECT_EQ(dataFiles, (std::set<int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(DemoSetTest, SubtitlesAreWindows1252InFiveLanguages) {
  CSoundCatalogue c;
  ASSERT_TRUE(c.Load(dir_->dir().c_str(), nullptr, nullptr));
  std::set<std::string> texts[5];
  for (int32_t i = 0; i < c.m_soundInfos.GetLoadedCount(); ++i) {
    const CSMSoundInfo& info = c.m_soundInfos.m_pData[i];
    for (int32_t k = 0; k < info.m_nFileCount; ++k)
      for (int lang = 0; lang < 5; ++lang) texts[lang].insert(info.GetFile(k)->m_subtitles[lang].GetText());
  }
  auto has = [&](int lang, const std::string& text) { return texts[lang].count(text) > 0; };
  EXPECT_TRUE(has(0, "Halt! Who goes there?"));
  EXPECT_TRUE(has(1, "Les cloches sonnent. \xC9" "coutez !"));
  EXPECT_TRUE(has(1, "\xC7" "a suffit ! Posez vos armes."));
  EXPECT_TRUE(has(2, "Il cancello \xE8 chiuso fino all'alba."));
  EXPECT_TRUE(has(3, "Gr\xFC\xDF Gott, Wanderer. Die Stra\xDF" "e ist lang."));
  EXPECT_TRUE(has(4, "\xA1" "Alto! \xBFQui\xE9n va?"));
  // No UTF-8 lead bytes followed by continuation bytes anywhere.
  for (const auto& lang : texts)
    for (const std::string& t : lang)
      for (size_t i = 0; i + 1 < t.size(); ++i)
        EXPECT_FALSE((static_cast<uint8_t>(t[i]) & 0xE0) == 0xC0 && (static_cast<uint8_t>(t[i + 1]) & 0xC0) == 0x80)
            << t;
}

struct Decoded {
  std::string errors;
  size_t frames = 0;
  double peak = 0, mean = 0;
  double edge = 0;  // the largest sample of the first and the last frame
};

// Decodes with FFmpeg to 16-bit PCM in the file's own channel count.
Decoded DecodeWithFfmpeg(const std::string& path, int channels, const TempDir& tmp) {
  Decoded d;
  std::string pcm = tmp.file("decoded.raw"), err = tmp.file("ffmpeg.err");
  std::string cmd = "ffmpeg -nostdin -v error -y -i '" + path + "' -f s16le -acodec pcm_s16le '" + pcm + "' 2>'" + err + "'";
  if (std::system(cmd.c_str()) != 0) d.errors = "ffmpeg failed; ";
  if (FILE* e = fopen(err.c_str(), "rb")) {
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, e)) > 0) d.errors.append(buf, n);
    fclose(e);
  }
  FILE* f = fopen(pcm.c_str(), "rb");
  if (!f) return d;
  int16_t buf[4096];
  size_t n, samples = 0;
  double sum = 0;
  while ((n = fread(buf, 2, 4096, f)) > 0) {
    for (size_t i = 0; i < n; ++i) {
      d.peak = std::max(d.peak, std::fabs(buf[i] / 32768.0));
      sum += buf[i] / 32768.0;
    }
    samples += n;
  }
  if (samples >= static_cast<size_t>(channels)) {
    std::vector<int16_t> first(static_cast<size_t>(channels)), last(static_cast<size_t>(channels));
    fseek(f, 0, SEEK_SET);
    fread(first.data(), 2, first.size(), f);
    fseek(f, -2L * channels, SEEK_END);
    fread(last.data(), 2, last.size(), f);
    for (int k = 0; k < channels; ++k)
      d.edge = std::max({d.edge, std::fabs(first[k] / 32768.0), std::fabs(last[k] / 32768.0)});
  }
  fclose(f);
  d.frames = samples / static_cast<size_t>(channels);
  d.mean = samples ? sum / samples : 0;
  return d;
}

TEST_F(DemoSetTest, EveryStoredSoundDecodesWithFfmpegToItsGeneratedLength) {
  CSoundCatalogue c;
  ASSERT_TRUE(c.Load(dir_->dir().c_str(), nullptr, nullptr));
  std::map<uint32_t, const StoredSound*> byAddress;
  for (const StoredSound& s : manifest_->sounds) byAddress[writer_->AddressOf(s.handle)] = &s;

  TempDir tmp;
  std::set<const StoredSound*> decoded;
  for (int32_t i = 0; i < c.m_soundInfos.GetLoadedCount(); ++i) {
    const CSMSoundInfo& info = c.m_soundInfos.m_pData[i];
    for (int32_t k = 0; k < info.m_nFileCount; ++k) {
      const CSMSoundFile& f = *info.GetFile(k);
      if (f.IsMissing()) continue;
      auto it = byAddress.find(f.m_data.m_nValue);
      ASSERT_NE(it, byAddress.end()) << f.m_name.GetText();
      const StoredSound& s = *it->second;
      if (!decoded.insert(&s).second) continue;
      SCOPED_TRACE(s.name);
      ASSERT_EQ(f.GetSize(), s.bytes);
      EXPECT_EQ(f.IsOgg(), s.format.kind == AudioKind::Ogg);

      // The stored bytes, read from the metafile at the data offset.
      std::string metafile = dir_->file(CSoundCatalogue::GetMetafileName(f.m_data.GetFile()));
      FILE* in = fopen(metafile.c_str(), "rb");
      ASSERT_NE(in, nullptr);
      std::vector<uint8_t> bytes(f.GetSize());
      ASSERT_EQ(fseek(in, f.m_data.GetOffset(), SEEK_SET), 0);
      ASSERT_EQ(fread(bytes.data(), 1, bytes.size(), in), bytes.size());
      fclose(in);
      std::string path = tmp.file(std::string("sound.") + f.GetExtension());
      tmp.Write(std::string("sound.") + f.GetExtension(), bytes);

      Decoded d = DecodeWithFfmpeg(path, s.format.channels, tmp);
      EXPECT_EQ(d.errors, "");
      if (s.format.kind == AudioKind::XboxAdpcm) {
        // FFmpeg counts the header sample of each 36-byte block besides its 64 coded ones.
        size_t blocks = (s.frames + 63) / 64;
        EXPECT_EQ(d.frames, blocks * 65);
      } else if (s.format.kind == AudioKind::Ogg) {
        // FFmpeg may keep part of the last Vorbis block that the final granule position cuts off.
        EXPECT_GE(d.frames, s.frames);
        EXPECT_LT(d.frames, s.frames + 2048);
      } else {
        EXPECT_EQ(d.frames, s.frames);
      }
      EXPECT_GT(s.frames, static_cast<size_t>(s.format.rate) / 20);
      // Audible, unclipped, centred, and without a click at either end.
      EXPECT_LT(d.edge, 0.02);
      EXPECT_GT(d.peak, 0.3);
      EXPECT_LT(d.peak, 0.95);
      EXPECT_LT(std::fabs(d.mean), 0.01);
    }
  }
  EXPECT_EQ(decoded.size(), manifest_->sounds.size());
  std::set<std::pair<AudioKind, int>> kinds;
  std::set<int> rates;
  for (const StoredSound& s : manifest_->sounds) {
    kinds.insert({s.format.kind, s.format.channels});
    if (s.format.kind != AudioKind::Ogg) rates.insert(s.format.rate);
  }
  EXPECT_EQ(kinds.size(), 8u);  // four kinds, mono and stereo
  EXPECT_EQ(rates, (std::set<int>{11025, 22050, 44100}));
}

}  // namespace
