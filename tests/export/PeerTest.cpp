// Every sound of the demo set extracted both ways: FFmpeg decodes the stored bytes to the generated
// length and level, sox reads back every decoded file, and our Xbox ADPCM decoding matches FFmpeg's.
// Needs the sox and ffmpeg programs; runs in the plain build.
#include <algorithm>
#include <cstdlib>

#include "export/SoundExport.h"
#include "tests/export/ExportTestSupport.h"
#include "tools/AudioSets.h"

#include "tests/support/Shell.h"

namespace {

// FFmpeg's decoding to 16-bit PCM in the file's own channel count; any complaint fails the test.
Samples FfmpegDecode(const std::string& file, const std::string& raw) {
  EXPECT_EQ(Shell("ffmpeg -nostdin -v error -y -i '" + file + "' -f s16le '" + raw + "' 2>&1 || echo failed"), "");
  return AsSamples(ReadFileBytes(raw));
}

// The largest difference of our samples from FFmpeg's, whose 65th sample of every 36-byte channel
// block is dropped.
int WorstDifference(const Samples& ours, const Samples& theirs, size_t ch) {
  if (theirs.size() != ours.size() / (64 * ch) * 65 * ch) return 65536;
  int worst = 0;
  for (size_t i = 0; i < ours.size(); ++i)
    worst = std::max(worst, std::abs(ours[i] - theirs[i / (64 * ch) * 65 * ch + i % (64 * ch)]));
  return worst;
}

using PeerTest = AcmTest;

TEST_F(PeerTest, DemoSoundsDecodeWithFfmpegAndSoxAndOurAdpcmMatchesFfmpeg) {
  MetafileSetWriter writer;
  AudioSetManifest manifest;
  MakeDemoSet(writer, &manifest);
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
    const size_t ch = size_t(s.format.channels);
    const std::string name = s.name + (kind == AudioKind::Ogg ? ".ogg" : ".wav");
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadFileBytes(raw.file(name)).size(), s.bytes);

    // FFmpeg counts the header sample of each Xbox ADPCM block besides its 64 coded ones, and may
    // keep part of the last Vorbis block that the final granule position cuts off.
    const Samples theirs = FfmpegDecode(raw.file(name), decoded.file("ffmpeg.raw"));
    const size_t frames = theirs.size() / ch;
    if (kind == AudioKind::XboxAdpcm) {
      EXPECT_EQ(frames, (s.frames + 63) / 64 * 65);
    } else if (kind == AudioKind::Ogg) {
      EXPECT_GE(frames, s.frames);
      EXPECT_LT(frames, s.frames + 2048);
    } else {
      EXPECT_EQ(frames, s.frames);
    }
    // Audible, unclipped, centred, and without a click at either end.
    double peak = 0, sum = 0, edge = 0;
    for (size_t i = 0; i < theirs.size(); ++i) {
      const double x = theirs[i] / 32768.0;
      peak = std::max(peak, std::fabs(x));
      sum += x;
      if (i < ch || i + ch >= theirs.size()) edge = std::max(edge, std::fabs(x));
    }
    EXPECT_LT(edge, 0.02);
    EXPECT_GT(peak, 0.3);
    EXPECT_LT(peak, 0.95);
    EXPECT_LT(std::fabs(sum / double(theirs.size())), 0.01);

    if (kind == AudioKind::Ogg) {
      EXPECT_EQ(ReadFileBytes(decoded.file(name)), ReadFileBytes(raw.file(name)));
      continue;
    }
    // Xbox ADPCM decodes to whole blocks of 64 frames, the last padded with silence; any complaint
    // of sox shows up next to the count.
    const size_t padded = kind == AudioKind::XboxAdpcm ? (s.frames + 63) / 64 * 64 : s.frames;
    const std::string file = "'" + decoded.file(name) + "'";
    EXPECT_EQ(Shell("sox --i -s " + file + " 2>&1; sox -V2 " + file + " -n 2>&1"), std::to_string(padded) + "\n");
    if (kind != AudioKind::XboxAdpcm) continue;
    // The codec's own decoding of the stored blocks; FFmpeg's apart only by rounding: its nibble
    // expansion truncates once where ours truncates three terms, less than 3 per sample, adding up
    // over the 63 samples after a block's header.
    ++adpcm;
    const Samples ours = AsSamples(DataChunk(ReadFileBytes(decoded.file(name))));
    EXPECT_EQ(ours, AdpcmDecode(DataChunk(ReadFileBytes(raw.file(name))), int(ch)));
    EXPECT_LE(WorstDifference(ours, theirs, ch), 3 * 63);
  }
  EXPECT_GE(adpcm, 7);
}

}  // namespace
