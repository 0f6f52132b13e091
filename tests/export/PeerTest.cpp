// Every sound of the demo set extracted, then read back by sox, and the Xbox ADPCM sounds
// against FFmpeg's decoding of the same stored bytes. Needs the sox and ffmpeg programs;
// runs in the plain build.
#include <algorithm>
#include <cstdlib>

#include "export/SoundExport.h"
#include "tests/export/ExportTestSupport.h"
#include "tools/AudioSets.h"

namespace {

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  return out;
}

// Our samples against FFmpeg's, whose 65th sample of every 36-byte channel block is dropped:
// signal to difference ratio (dB) and the largest difference.
struct Agreement {
  double sdr = 0;
  int worst = 65536;
};
Agreement Compare(const Samples& ours, const Samples& theirs, size_t ch) {
  const size_t blocks = ours.size() / (64 * ch);
  EXPECT_EQ(ours.size(), blocks * 64 * ch);
  EXPECT_EQ(theirs.size(), blocks * 65 * ch);
  Agreement r;
  if (theirs.size() != blocks * 65 * ch) return r;
  double sig = 0, diff = 0;
  r.worst = 0;
  for (size_t b = 0; b < blocks; ++b)
    for (size_t n = 0; n < 64; ++n)
      for (size_t c = 0; c < ch; ++c) {
        const int a = ours[(b * 64 + n) * ch + c], f = theirs[(b * 65 + n) * ch + c];
        sig += double(a) * a;
        diff += double(a - f) * (a - f);
        r.worst = std::max(r.worst, std::abs(a - f));
      }
  r.sdr = diff == 0 ? 200 : 10 * std::log10(sig / diff);
  return r;
}

// The blocks of a WAVE file's "data" chunk.
Bytes DataChunk(const Bytes& wave) {
  for (size_t at = 12; at + 8 <= wave.size();) {
    const uint32_t size = wave[at + 4] | wave[at + 5] << 8 | wave[at + 6] << 16 | uint32_t(wave[at + 7]) << 24;
    if (std::memcmp(&wave[at], "data", 4) == 0) return Bytes(wave.begin() + at + 8, wave.begin() + at + 8 + size);
    at += 8 + size + (size & 1);
  }
  return {};
}

Samples FfmpegDecode(const std::string& wav, const std::string& raw) {
  EXPECT_EQ(std::system(("ffmpeg -nostdin -v error -y -i '" + wav + "' -f s16le '" + raw + "'").c_str()), 0);
  return AsSamples(ReadFileBytes(raw));
}

using PeerTest = AcmTest;

TEST_F(PeerTest, ExtractedSoundsAreReadBackBySoxAndMatchFfmpeg) {
  MetafileSetWriter writer;
  AudioSetManifest manifest;
  MakeDemoSet(writer, &manifest);
  // Loud tones besides, at the level of the codec's own cross-check with FFmpeg.
  for (auto [ch, rate] : {std::pair{1, 22050}, {2, 44100}, {2, 11025}}) {
    const std::string name = "loud_" + std::to_string(ch) + "_" + std::to_string(rate);
    const Bytes wave = AdpcmWave(WORD(ch), DWORD(rate), AdpcmEncode(Tone(64 * 300, ch, rate, 440), ch));
    MetafileSetWriter::SoundInfo info;
    info.files.resize(1);
    info.files[0].name = name;
    info.files[0].data = MetafileSetWriter::Address::Item(writer.AddData(1, wave));
    info.files[0].wavSize = uint32_t(wave.size());
    writer.taggedSounds.push_back({{{0, MetafileSetWriter::kInvalid}}, MetafileSetWriter::Address::Item(writer.AddRecord(2, info))});
    manifest.sounds.push_back({0, name, {AudioKind::XboxAdpcm, rate, ch}, 64 * 300, wave.size()});
  }
  TempDir set, raw, decoded;
  ASSERT_TRUE(writer.Write(set.path()));
  CSoundCatalogue catalogue;
  ASSERT_TRUE(catalogue.Load(set.dir().c_str(), nullptr, stderr));
  CSoundListModel& model = catalogue.m_listModel;
  model.Rebuild();
  const auto cwd = std::filesystem::current_path();
  for (uint32_t row = 0; row < model.nCount; ++row) {
    std::filesystem::current_path(raw.path());
    ExtractRaw(&model, model.ItemAt(row));
    std::filesystem::current_path(decoded.path());
    ExtractWave(&model, model.ItemAt(row));
  }
  std::filesystem::current_path(cwd);

  int adpcm = 0;
  for (const StoredSound& s : manifest.sounds) {
    const AudioKind kind = s.format.kind;
    const std::string name = s.name + (kind == AudioKind::Ogg ? ".ogg" : ".wav");
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadFileBytes(raw.file(name)).size(), s.bytes);
    if (kind == AudioKind::Ogg) {
      EXPECT_EQ(ReadFileBytes(decoded.file(name)), ReadFileBytes(raw.file(name)));
      continue;
    }
    // Xbox ADPCM decodes to whole blocks of 64 frames, the last padded with silence.
    const size_t frames = kind == AudioKind::XboxAdpcm ? (s.frames + 63) / 64 * 64 : s.frames;
    const std::string file = "'" + decoded.file(name) + "'";
    // Any complaint of sox shows up next to the count.
    EXPECT_EQ(Shell("sox --i -s " + file + " 2>&1; sox -V2 " + file + " -n 2>&1"), std::to_string(frames) + "\n");
    if (kind != AudioKind::XboxAdpcm) continue;
    // The codec's own decoding of the stored blocks; FFmpeg's apart only by rounding: its
    // nibble expansion truncates once where ours truncates three terms, less than 3 per sample,
    // adding up over the 63 samples after a block's header (how much that is in dB depends
    // on the level: quiet sounds come out near 50 dB).
    ++adpcm;
    const Bytes ours = DataChunk(ReadFileBytes(decoded.file(name)));
    EXPECT_EQ(AsSamples(ours), AdpcmDecode(DataChunk(ReadFileBytes(raw.file(name))), s.format.channels));
    const Agreement a =
        Compare(AsSamples(ours), FfmpegDecode(raw.file(name), decoded.file("ffmpeg.raw")), size_t(s.format.channels));
    RecordProperty(s.name + "_sdr_db", std::to_string(a.sdr));
    EXPECT_LE(a.worst, 3 * 63);
    if (s.name.starts_with("loud_")) {
      EXPECT_GE(a.sdr, 60.0);
    }
  }
  EXPECT_GE(adpcm, 7);
}

}  // namespace
