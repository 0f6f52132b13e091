// What a stored sound holds and the peaks of its decoding, on sounds built here: the header as
// the sources read it, lengths of odd and cut sounds, and extremes that match the decoded
// samples bucket by bucket.
#include "export/SoundFileInfo.h"
#include "export/SoundPeaks.h"
#include "tests/export/ExportTestSupport.h"
#include "tools/AudioWriters.h"
#include "tools/SoundSynth.h"

namespace {

// Every bucket of every channel against the samples.
void ExpectPeaksOf(const SoundPeaks& p, const Samples& pcm, int ch, size_t nBuckets) {
  ASSERT_TRUE(p.problem.empty()) << p.problem;
  ASSERT_EQ(p.nChannels, ch);
  const size_t frames = pcm.size() / size_t(ch);
  ASSERT_EQ(p.nFrames, frames);
  // Bucket lengths double until fewer than 2 * nBuckets are kept.
  const uint64_t k = p.nFramesPerBucket;
  ASSERT_GT(k, 0u);
  EXPECT_EQ(k & (k - 1), 0u);
  EXPECT_EQ(p.BucketCount(), (frames + k - 1) / k);
  EXPECT_LT(p.BucketCount(), 2 * nBuckets);
  EXPECT_GE(p.BucketCount(), std::min(frames, nBuckets));
  int wrong = 0;
  for (size_t b = 0; b < p.BucketCount(); ++b)
    for (int c = 0; c < ch; ++c) {
      int lo = INT16_MAX, hi = INT16_MIN;
      for (size_t i = b * k; i < std::min<size_t>((b + 1) * k, frames); ++i)
        lo = std::min<int>(lo, pcm[i * ch + c]), hi = std::max<int>(hi, pcm[i * ch + c]);
      wrong += p.mins[b * ch + c] != lo || p.maxs[b * ch + c] != hi;
    }
  EXPECT_EQ(wrong, 0);
  // A range within one bucket gives that bucket's extremes; one past the end gives none.
  int lo, hi;
  ASSERT_TRUE(p.Range(ch - 1, k * (p.BucketCount() - 1), frames, lo, hi));
  EXPECT_EQ(lo, p.mins.back());
  EXPECT_EQ(hi, p.maxs.back());
  EXPECT_FALSE(p.Range(0, frames + k, frames + 2 * k, lo, hi));
}

Bytes WithData(const Bytes& fmt, const Bytes& data, uint32_t claimed) {
  Bytes dataChunk = Text("data") + Le(claimed, 4) + data;
  if (data.size() % 2) dataChunk.push_back(0);
  return Riff(Chunk("fmt ", fmt) + Chunk("LIST", Text("INFOodd")) + dataChunk);
}

class StoredSounds : public ::testing::Test {
 protected:
  const Samples stereo = Tone(5001, 2, 22050, 300);
  const Bytes pcm16 = WithData(Fmt(1, 2, 22050, 4, 16), AsBytes(stereo), uint32_t(stereo.size() * 2));
  const Bytes ramp8 = [] {
    Bytes b(3001);
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 7);
    return b;
  }();
  const Bytes blocks = AdpcmEncode(Tone(64 * 40, 2, 44100, 500), 2);
  const Clip clip = synth::Tone(440, 0.7, 22050), clip3{22050, 3, std::vector<float>(3 * 4000, 0.25f)};
  LoadedSoundSet set{{{"pcm16", pcm16},
                      {"pcm8", PcmWave(Pcm(1, 11025, 8), ramp8)},
                      {"adpcm", AdpcmWave(2, 44100, blocks)},
                      {"claims", WithData(Fmt(1, 2, 22050, 4, 16), AsBytes(stereo), uint32_t(stereo.size() * 4))},
                      {"three", WithData(Fmt(1, 3, 22050, 6, 16), Bytes(600), 600)},
                      {"align4", WithData(Fmt(WAVE_FORMAT_XBOX_ADPCM, 1, 22050, 4, 4), Bytes(400), 400)},
                      {"ogg", WriteOggVorbis(clip, 0.3f, 7), true},
                      {"cut", pcm16, false, 5, int64_t(pcm16.size()) + 1000},
                      {"align40", WithData(Fmt(WAVE_FORMAT_XBOX_ADPCM, 1, 22050, 40, 4), Bytes(400), 400)},
                      {"ogg3", WriteOggVorbis(clip3, 0.3f, 8), true},
                      {"oggjunk", Text("OggS") + Bytes(300, 7), true},
                      {"junk", Text("no header, only words")},
                      {"badfmt", Riff(Chunk("fmt ", Bytes(10)) + Chunk("data", Bytes(4)))}}};
  StoredSoundBytes Stored(int row) { return ReadStoredSound(&set.model(), set.item(row)); }
  SoundFileInfo describe(int row) { return DescribeStoredSound(Stored(row)); }
};

TEST_F(StoredSounds, PeaksMatchTheDecodedSamplesBucketByBucket) {
  ASSERT_EQ(g_idXboxAdpcmDriver, nullptr);
  constexpr size_t kBuckets = 64;
  const auto peaks = [&](int row) { return ComputePeaks(Stored(row), kBuckets); };

  ExpectPeaksOf(peaks(0), stereo, 2, kBuckets);
  // 8-bit PCM becomes 16-bit: the byte less 128, times 256.
  Samples wide;
  for (uint8_t b : ramp8) wide.push_back(int16_t((b - 128) * 256));
  ExpectPeaksOf(peaks(1), wide, 1, kBuckets);
  // Xbox ADPCM through the codec, registered for the decoding only.
  ExpectPeaksOf(peaks(2), AdpcmDecode(blocks, 2), 2, kBuckets);
  EXPECT_EQ(g_idXboxAdpcmDriver, nullptr);
  // A data chunk claiming twice what is stored, and a metafile that ends early: what is there.
  ExpectPeaksOf(peaks(3), stereo, 2, kBuckets);
  ExpectPeaksOf(peaks(7), stereo, 2, kBuckets);
  // Fewer frames than buckets: one frame each.
  EXPECT_EQ(ComputePeaks(Stored(0), 100000).nFramesPerBucket, 1u);

  // Drivers that audio registered stay registered.
  ASSERT_TRUE(RegisterAcmDrivers());
  const HACMDRIVERID codec = g_idXboxAdpcmDriver;
  ExpectPeaksOf(peaks(2), AdpcmDecode(blocks, 2), 2, kBuckets);
  EXPECT_EQ(g_idXboxAdpcmDriver, codec);
  RemoveAcmDrivers();

  EXPECT_EQ(peaks(8).nFrames, 720u);
  for (int row : {4, 5, 9, 10, 11}) {
    const SoundPeaks p = peaks(row);
    EXPECT_TRUE(p.nFrames == 0 && p.mins.empty() && !p.problem.empty()) << row;
  }
}

TEST_F(StoredSounds, InfoDescribesTheStoredBytesAsTheSourcesReadThem) {
  // The data chunk after an odd LIST chunk and its pad byte.
  const SoundFileInfo pcm = describe(0);
  EXPECT_EQ(pcm.problem, "");
  EXPECT_EQ(pcm.nSamplesPerBlock, 1u);
  EXPECT_EQ(pcm.nDataOffset, pcm16.size() - stereo.size() * 2);
  EXPECT_EQ(pcm.nDataBytes, stereo.size() * 2);
  EXPECT_EQ(pcm.nFrames, 5001u);
  EXPECT_DOUBLE_EQ(pcm.dDuration, 5001.0 / 22050);
  EXPECT_TRUE(pcm.notes.empty());

  // Claimed beyond the stored bytes, or stored beyond the metafile: the length of what is there.
  const SoundFileInfo claims = describe(3), cut = describe(7);
  EXPECT_EQ(claims.nDataBytes, stereo.size() * 4);
  EXPECT_EQ(claims.nDataStored, stereo.size() * 2);
  for (const SoundFileInfo& i : {claims, cut}) {
    EXPECT_EQ(i.problem, "");
    EXPECT_EQ(i.nFrames, 5001u);
    ASSERT_EQ(i.notes.size(), 1u);
  }
  EXPECT_PRED_FORMAT2(::testing::IsSubstring,
                      std::to_string(pcm16.size()) + " of the " + std::to_string(pcm16.size() + 1000), cut.notes[0]);

  // Formats the chain cannot decode say so, and keep what their header says.
  EXPECT_EQ(describe(4).nChannels, 3);
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "3 channels", describe(4).problem);
  EXPECT_EQ(describe(5).nBlockAlign, 4);
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "block align of 4 ", describe(5).problem);
  // Samples per block follow the block align: 4 header bytes, then two samples per byte.
  const SoundFileInfo align40 = describe(8);
  EXPECT_EQ(align40.problem, "");
  EXPECT_EQ(align40.nSamplesPerBlock, 72u);
  EXPECT_EQ(align40.nFrames, 720u);

  const SoundFileInfo ogg = describe(6);
  EXPECT_EQ(ogg.problem, "");
  EXPECT_EQ(ogg.container, CONTAINER_OGG);
  EXPECT_EQ(ogg.nFrames, clip.Frames());
  EXPECT_EQ(ogg.comments, std::vector<std::string>{"ENCODER=vantor-mkset"});

  // What vorbisfile and the WAVE source refuse, and why.
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "3 channels", describe(9).problem);
  EXPECT_EQ(describe(9).container, CONTAINER_OGG);
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "no Vorbis audio", describe(10).problem);
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "no RIFF WAVE header: the stored bytes begin 6E 6F 20 68",
                      describe(11).problem);
  EXPECT_EQ(describe(11).container, CONTAINER_UNKNOWN);
  EXPECT_PRED_FORMAT2(::testing::IsSubstring, "the WAVE header does not parse", describe(12).problem);
  EXPECT_EQ(ReadStoredSound(&set.model(), nullptr).problem, "no sound file");
}

}  // namespace
