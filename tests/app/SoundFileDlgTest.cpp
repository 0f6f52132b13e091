// The Sound File dialog on the demo set: its format table against what ffprobe, sox and the
// header bytes say, its waveform against the decoded samples, odd records, and how the Meta
// Sound dialog opens and reuses it.
#include <QImage>
#include <QTableWidget>
#include <QToolButton>
#include <map>

#include "app/MetaSoundDlg.h"
#include "app/MetaSoundPages.h"
#include "app/SoundFileDlg.h"
#include "app/TabCtrl.h"
#include "app/WaveformView.h"
#include "export/SoundExport.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/support/Shell.h"
#include "tools/AudioSets.h"

namespace {

// ffprobe's fields of the first stream, by name.
std::map<std::string, std::string> Probe(const std::string& file) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(Shell("ffprobe -v error -select_streams 0 -show_streams -of default=nw=1 '" + file + "'"));
  for (std::string line; std::getline(lines, line);)
    if (const size_t eq = line.find('='); eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  return fields;
}

uint64_t SoxSamples(const std::string& file) { return std::stoull(Shell("soxi -s '" + file + "'")); }

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t Le16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

size_t Find(const Bytes& bytes, const std::string& what) {
  const auto it = std::search(bytes.begin(), bytes.end(), what.begin(), what.end());
  return it == bytes.end() ? std::string::npos : size_t(it - bytes.begin());
}

// The format table: the values of each field, in row order.
std::map<std::string, std::vector<std::string>> Table(const CSoundFileDlg& dlg) {
  std::map<std::string, std::vector<std::string>> rows;
  for (int r = 0; r < dlg.m_table->rowCount(); ++r)
    rows[dlg.m_table->item(r, 0)->text().toStdString()].push_back(dlg.m_table->item(r, 1)->text().toStdString());
  return rows;
}
std::string Field(const CSoundFileDlg& dlg, const std::string& name) {
  const auto rows = Table(dlg);
  const auto it = rows.find(name);
  return it == rows.end() || it->second.empty() ? "(none)" : it->second.front();
}
// "1.234 s (5678 samples)": the sample count, checked against the seconds.
uint64_t DurationSamples(const std::string& text, uint32_t rate) {
  double seconds = 0;
  unsigned long long samples = 0;
  if (sscanf(text.c_str(), "%lf s (%llu samples)", &seconds, &samples) != 2) ADD_FAILURE() << text;
  EXPECT_NEAR(seconds, double(samples) / rate, 0.0006) << text;
  return samples;
}

// The extremes of a channel over frames [first, end) of interleaved samples.
std::pair<int, int> Extremes(const Samples& pcm, int ch, int c, int64_t first, int64_t end) {
  int lo = INT16_MAX, hi = INT16_MIN;
  for (int64_t i = std::max<int64_t>(first, 0); i < std::min<int64_t>(end, int64_t(pcm.size() / ch)); ++i) {
    lo = std::min<int>(lo, pcm[i * ch + c]);
    hi = std::max<int>(hi, pcm[i * ch + c]);
  }
  return {lo, hi};
}

// The rows of a lane's column that the wave is drawn on (bluish pixels); -1 when none.
std::pair<int, int> WaveRows(const QImage& image, const QRect& lane, int x) {
  int top = -1, bottom = -1;
  for (int y = lane.top() + 1; y < lane.bottom(); ++y) {
    const QColor p = image.pixelColor(x, y);
    if (p.blue() > p.red() + 40 && p.blue() > 100) {
      if (top < 0) top = y;
      bottom = y;
    }
  }
  return {top, bottom};
}

// The demo set loaded under an application object, the current directory in a temporary one.
class SoundFileDlgTest : public ::testing::Test {
 protected:
  SoundFileDlgTest() : m_app([this](MetafileSetWriter& w) { MakeDemoSet(w, &m_manifest); }) {
    Model().Rebuild();
    // As audio's start registers them: extraction decodes Xbox ADPCM through the codec.
    EXPECT_TRUE(RegisterAcmDrivers());
  }
  ~SoundFileDlgTest() override { RemoveAcmDrivers(); }

  CSoundListModel& Model() { return m_app.m_pCatalogue->m_listModel; }
  // The first row showing a stored sound of that kind and channel count.
  const SoundListItem* RowOf(AudioKind kind, int channels) {
    for (const StoredSound& s : m_manifest.sounds) {
      if (s.format.kind != kind || s.format.channels != channels) continue;
      for (uint32_t r = 0; r < Model().nCount; ++r) {
        const SoundListItem* item = Model().ItemAt(r);
        if (item->pFile->m_name.GetText() == s.name && !item->pFile->IsMissing()) return item;
      }
    }
    return nullptr;
  }

  AudioSetManifest m_manifest;
  LoadedApp m_app;
  TempCwdAndAudio m_scope;
  const TempDir& m_cwd = m_scope.cwd;
  QWidget m_owner;
};

TEST_F(SoundFileDlgTest, FormatTableSaysWhatFfprobeSoxAndTheHeaderBytesSay) {
  CSoundFileDlg dlg(&m_owner);
  EXPECT_EQ(dlg.windowTitle().toStdString(), "Sound File");
  EXPECT_EQ(dlg.m_tab->GetItemCount(), 2);
  EXPECT_EQ(dlg.m_tab->TabBar()->tabText(0).toStdString(), "Format");
  EXPECT_EQ(dlg.m_tab->TabBar()->tabText(1).toStdString(), "Waveform");

  struct Case {
    AudioKind kind;
    int channels;
    const char* tag;
  };
  for (const Case& c : {Case{AudioKind::Pcm16, 1, "0x0001 (PCM)"}, Case{AudioKind::Pcm8, 2, "0x0001 (PCM)"},
                        Case{AudioKind::XboxAdpcm, 2, "0x0069 (Xbox ADPCM)"}, Case{AudioKind::Ogg, 2, nullptr}}) {
    const SoundListItem* item = RowOf(c.kind, c.channels);
    ASSERT_NE(item, nullptr);
    const std::string name(item->pFile->m_name.GetText());
    SCOPED_TRACE(name);
    ASSERT_TRUE(ExtractRaw(&Model(), item));
    const std::string raw = m_cwd.file(name + "." + item->pFile->GetExtension());
    const Bytes bytes = ReadFileBytes(raw);
    auto probe = Probe(raw);
    dlg.SetSound(&Model(), item);
    dlg.show();
    dlg.resize(760, 330);

    EXPECT_EQ(Field(dlg, "Cannot read"), "(none)");
    EXPECT_EQ(Field(dlg, "File"), name + "." + item->pFile->GetExtension());
    EXPECT_EQ(Field(dlg, "Stored size"), std::to_string(bytes.size()) + " bytes");
    char offset[16];
    snprintf(offset, sizeof offset, "0x%08X", unsigned(item->pFile->m_data.GetOffset()));
    EXPECT_NE(Field(dlg, "Location").find(offset), std::string::npos);
    EXPECT_EQ(Field(dlg, "Channels"), probe["channels"]);
    EXPECT_EQ(Field(dlg, "Sample rate"), probe["sample_rate"] + " Hz");
    const uint32_t rate = uint32_t(std::stoul(probe["sample_rate"]));
    if (c.kind == AudioKind::Ogg) {
      EXPECT_EQ(Field(dlg, "Container"), "Ogg Vorbis");
      // The identification header's nominal bitrate (after version, channels, rate and
      // maximum), and the comment header's vendor string.
      const size_t id = Find(bytes, "\x01vorbis"), comment = Find(bytes, "\x03vorbis");
      ASSERT_NE(id, std::string::npos);
      ASSERT_NE(comment, std::string::npos);
      EXPECT_EQ(Field(dlg, "Nominal bitrate"), std::to_string(int32_t(Le32(bytes, id + 20))) + " bit/s");
      EXPECT_EQ(Field(dlg, "Vendor"),
                std::string(bytes.begin() + comment + 11, bytes.begin() + comment + 11 + Le32(bytes, comment + 7)));
      // sox lists the comments as Comment : 'NAME=value'.
      std::vector<std::string> comments;
      std::istringstream info(Shell("soxi '" + raw + "'"));
      for (std::string line; std::getline(info, line);)
        if (line.rfind("Comment", 0) == 0) comments.push_back(line.substr(line.find('\'') + 1, line.rfind('\'') - line.find('\'') - 1));
      ASSERT_FALSE(comments.empty());
      EXPECT_EQ(Table(dlg)["Comment"], comments);
      EXPECT_EQ(DurationSamples(Field(dlg, "Duration"), rate), SoxSamples(raw));
      continue;
    }
    EXPECT_EQ(Field(dlg, "Container"), "WAVE");
    EXPECT_EQ(Field(dlg, "Format tag"), c.tag);
    EXPECT_EQ(Field(dlg, "Bits per sample"), probe["bits_per_sample"]);
    // The "fmt " chunk comes first: block align at byte 32, the extra bytes from byte 38.
    EXPECT_EQ(Field(dlg, "Block align"), std::to_string(Le16(bytes, 32)) + " bytes");
    EXPECT_EQ(Field(dlg, "Data bytes"), std::to_string(DataChunk(bytes).size()));
    if (c.kind == AudioKind::XboxAdpcm) {
      ASSERT_GE(Le32(bytes, 16), 20u);
      EXPECT_EQ(Field(dlg, "Samples per block"), std::to_string(Le16(bytes, 38)));
      // As extraction decodes it, which sox counts.
      ASSERT_TRUE(ExtractWave(&Model(), item));
      std::filesystem::rename(raw, m_cwd.file("decoded.wav"));
      EXPECT_EQ(DurationSamples(Field(dlg, "Duration"), rate), SoxSamples(m_cwd.file("decoded.wav")));
    } else {
      EXPECT_EQ(std::to_string(DurationSamples(Field(dlg, "Duration"), rate)), probe["duration_ts"]);
    }
  }
}

TEST_F(SoundFileDlgTest, WaveformFollowsTheDecodedSamplesInEveryColumnAndLane) {
  CSoundFileDlg dlg(&m_owner);
  dlg.resize(900, 360);
  dlg.show();
  dlg.m_tab->SetCurSel(1);
  ASSERT_TRUE(dlg.m_waveform->isVisible());
  for (const auto& [kind, channels] : {std::pair{AudioKind::XboxAdpcm, 2}, std::pair{AudioKind::Pcm16, 1},
                                       std::pair{AudioKind::Ogg, 2}}) {
    const SoundListItem* item = RowOf(kind, channels);
    ASSERT_NE(item, nullptr);
    const std::string name(item->pFile->m_name.GetText());
    SCOPED_TRACE(name);
    // The samples as extraction decodes them; Ogg Vorbis through sox, which uses vorbisfile too.
    Samples pcm;
    if (kind == AudioKind::Ogg) {
      ASSERT_TRUE(ExtractRaw(&Model(), item));
      EXPECT_EQ(Shell("sox '" + name + ".ogg' -t raw -e signed -b 16 -L decoded.raw 2>&1"), "");
      pcm = AsSamples(ReadFileBytes(m_cwd.file("decoded.raw")));
    } else {
      ASSERT_TRUE(ExtractWave(&Model(), item));
      const Bytes wave = ReadFileBytes(m_cwd.file(name + ".wav"));
      pcm = AsSamples(DataChunk(wave));
    }
    dlg.SetSound(&Model(), item);
    const SoundPeaks& peaks = dlg.m_waveform->Peaks();
    ASSERT_EQ(peaks.nChannels, channels);
    ASSERT_EQ(peaks.nFrames, pcm.size() / channels);
    const QImage image = dlg.m_waveform->grab().toImage();

    // Each column spans the samples of its stretch of time: at least their extremes, at most
    // those of one bucket more on either side.
    const int64_t frames = int64_t(peaks.nFrames), widen = int64_t(peaks.nFramesPerBucket);
    for (int c = 0; c < channels; ++c) {
      const QRect lane = dlg.m_waveform->LaneRect(c);
      ASSERT_GT(lane.height(), 40);
      const double scale = (lane.height() - 1) / 65536.0;
      int loud = 0, drawnLoud = 0, bad = 0;
      for (int x = 0; x < lane.width(); ++x) {
        const int64_t first = x * frames / lane.width(), end = std::max((x + 1) * frames / lane.width(), first + 1);
        const auto [lo, hi] = Extremes(pcm, channels, c, first, end);
        const auto [wideLo, wideHi] = Extremes(pcm, channels, c, first - widen, end + widen);
        const auto [top, bottom] = WaveRows(image, lane, lane.left() + x);
        const int extent = top < 0 ? 0 : bottom - top;
        if (extent < (hi - lo) * scale - 3 || extent > (wideHi - wideLo) * scale + 3) ++bad;
        if (hi - lo > 0.3 * 65536) ++loud, drawnLoud += extent > 0.25 * lane.height();
      }
      EXPECT_EQ(bad, 0) << "lane " << c;
      EXPECT_GT(loud, 0) << "lane " << c;
      EXPECT_EQ(drawnLoud, loud) << "lane " << c;
    }
  }
  // Redrawn at another size.
  dlg.resize(500, 260);
  const QImage small = dlg.m_waveform->grab().toImage();
  EXPECT_LT(dlg.m_waveform->width(), 500);
  const QRect lane = dlg.m_waveform->LaneRect(0);
  int drawn = 0;
  for (int x = lane.left(); x < lane.right(); ++x) drawn += WaveRows(small, lane, x).first >= 0;
  EXPECT_GT(drawn, lane.width() / 2);
}

// Odd records: each opens, says what cannot be read, and draws no wave; sounds that claim more
// than is stored show what is there.
TEST(SoundFileDlgOdd, OddRecordsOpenAndSayWhatCannotBeRead) {
  const Bytes tone = PcmWave(Pcm(1, 22050), AsBytes(Tone(2000, 1, 22050, 440)));
  Bytes claims = tone;
  claims[40] = 0xFF, claims[41] = 0xFF;  // the data chunk claims 65535 bytes; 4000 are stored
  LoadedSoundSet set({{"missing", tone, false, 1, -1, true},
                      {"empty", tone, false, 1, 0},
                      {"garbage", Text("Not a WAVE header at all, only words.")},
                      {"none", tone},
                      {"claims_more", claims},
                      {"cut", tone, false, 5, int64_t(tone.size()) + 5000}});
  CSoundListModel& model = set.model();
  QWidget owner;
  CSoundFileDlg dlg(&owner);
  dlg.resize(760, 330);
  dlg.show();
  const std::map<std::string, std::string> reasons = {{"missing", "missing file"},
                                                      {"empty", "zero size"},
                                                      {"garbage", "no RIFF WAVE header: the stored bytes begin 4E 6F 74"},
                                                      {"none", "\"none\""}};
  for (uint32_t r = 0; r < model.nCount; ++r) {
    const std::string name(model.ItemAt(r)->pFile->m_name.GetText());
    SCOPED_TRACE(name);
    dlg.SetSound(&model, model.ItemAt(r));
    dlg.m_tab->SetCurSel(1);
    (void)dlg.grab();
    const SoundPeaks& peaks = dlg.m_waveform->Peaks();
    if (reasons.count(name)) {
      EXPECT_NE(Field(dlg, "Cannot read").find(reasons.at(name)), std::string::npos) << Field(dlg, "Cannot read");
      EXPECT_EQ(peaks.nFrames, 0u);
      EXPECT_EQ(peaks.problem, Field(dlg, "Cannot read"));
      EXPECT_EQ(dlg.m_play->isEnabled(), name == "garbage");  // bytes to play, whatever they are
      continue;
    }
    // Readable, with a note: only what is stored is decoded.
    EXPECT_EQ(Field(dlg, "Cannot read"), "(none)");
    const std::string note = Field(dlg, "Note");
    if (name == "claims_more") {
      EXPECT_EQ(Field(dlg, "Data bytes"), "65535 (4000 stored)");
      EXPECT_NE(note.find("claims 65535"), std::string::npos) << note;
    } else {
      EXPECT_NE(note.find("metafile ends after " + std::to_string(tone.size())), std::string::npos) << note;
    }
    EXPECT_EQ(peaks.nFrames, 2000u);
  }
  dlg.SetSound(&model, nullptr);
  EXPECT_EQ(Field(dlg, "Cannot read"), "no sound file");
  EXPECT_FALSE(dlg.m_play->isEnabled());
}

// Opened from the Meta Sound dialog's "Sounds" of a record with two stored sounds.
TEST_F(SoundFileDlgTest, OpensFromTheMetaSoundDialogAndPlaysAndStopsAsTheMenuDoes) {
  RecordingAudio& audio = m_scope.audio;
  CBrowserDlg main;
  main.resize(900, 400);
  main.show();
  const SoundListItem* row = nullptr;
  for (uint32_t r = 0; r < Model().nCount && !row; ++r) {
    const CSMSoundInfo* info = Model().ItemAt(r)->pInfo;
    if (info->m_nFileCount >= 2 && !info->GetFile(0)->IsMissing() && !info->GetFile(1)->IsMissing()) row = Model().ItemAt(r);
  }
  ASSERT_NE(row, nullptr);
  main.ShowMetaSound(row);
  CMetaSoundDlg* meta = main.m_pMetaSound;
  ASSERT_NE(meta, nullptr);
  CSoundListCtrl* files = meta->m_soundsPage->m_list;
  const CSoundListModel& fileModel = meta->m_soundsPage->m_model;
  ASSERT_GE(fileModel.nCount, 2u);
  const auto fileName = [&](int r) {
    return std::string(fileModel.ItemAt(r)->pFile->m_name.GetText()) + "." + fileModel.ItemAt(r)->pFile->GetExtension();
  };

  DoubleClickRow(files, 0);
  CSoundFileDlg* dlg = meta->m_pChild;
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->parentWidget(), meta);
  EXPECT_EQ(Field(*dlg, "File"), fileName(0));
  // Reused, keeping its tab.
  dlg->m_tab->SetCurSel(1);
  DoubleClickRow(files, 1);
  EXPECT_EQ(meta->m_pChild, dlg);
  EXPECT_EQ(dlg->m_tab->GetCurSel(), 1);
  EXPECT_TRUE(dlg->m_waveformPage->isVisible());
  EXPECT_FALSE(dlg->m_formatPage->isVisible());
  EXPECT_EQ(Field(*dlg, "File"), fileName(1));

  // Play copies the stored bytes to the playback file and plays it; Stop stops.
  const SoundListItem* item = fileModel.ItemAt(1);
  dlg->m_play->click();
  EXPECT_EQ(audio.calls, (std::vector<std::string>{"stop", std::string("play Vantor.tmp ") +
                                                                  (item->pFile->IsOgg() ? "ogg" : "wave")}));
  ASSERT_TRUE(ExtractRaw(&fileModel, item));
  EXPECT_EQ(ReadFileBytes(m_cwd.file("Vantor.tmp")), ReadFileBytes(m_cwd.file(fileName(1))));
  dlg->m_stop->click();
  EXPECT_EQ(audio.calls.back(), "stop");
  EXPECT_EQ(audio.calls.size(), 3u);

  // Closing goes through the Meta Sound dialog.
  dlg->close();
  EXPECT_EQ(meta->m_pChild, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  DoubleClickRow(files, 0);
  ASSERT_NE(meta->m_pChild, nullptr);
  EXPECT_EQ(meta->m_pChild->m_tab->GetCurSel(), 0);
  main.close();
}

}  // namespace
