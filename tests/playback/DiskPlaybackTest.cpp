// Playback end to end through SDL's disk driver: what the device captured against the chain's
// 44100 Hz stereo 16-bit PCM, decoded independently where no rate conversion is involved and
// through the same chain offline where it is.
#include <vorbis/vorbisfile.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "audio/AudioController.h"
#include "audio/OggFileSource.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/playback/PlaybackTestSupport.h"
#include "tests/support/TempDir.h"
#include "tools/AudioWriters.h"

namespace {

Bytes Trimmed(Bytes b) {
  size_t begin = 0, end = b.size();
  while (begin < end && b[begin] == 0) ++begin;
  while (end > begin && b[end - 1] == 0) --end;
  return Bytes(b.begin() + long(begin), b.begin() + long(end));
}

Clip Chirp(int rate, int channels, double seconds) {
  Clip c;
  c.rate = rate;
  c.channels = channels;
  for (int i = 0; i < int(seconds * rate); ++i)
    for (int ch = 0; ch < channels; ++ch) c.samples.push_back(float(0.4 * std::sin(0.02 * i * (ch + 1) + 1e-6 * i * i)));
  return c;
}

CSoundSource* NewSource(int kind) {
  return kind == AUDIO_KIND_OGG ? static_cast<CSoundSource*>(new COggFileSource) : new CWaveFileSource;
}

// The chain of a playback ring run into a plain buffer of one ring slot.
Bytes Offline(const std::string& path, int kind) {
  EXPECT_TRUE(RegisterAcmDrivers());
  std::unique_ptr<CSoundSource> source(NewSource(kind));
  CSampleBuffer target;
  const WAVEFORMATEX cd = Pcm(2, 44100);
  target.SetFormat(&cd);
  target.Allocate(CAudioController::kSlotBytes);
  EXPECT_TRUE(source->OpenFile(path.c_str()));
  EXPECT_EQ(source->Attach(&target), 0);
  Bytes out = Drain(target);
  source.reset();
  RemoveAcmDrivers();
  return out;
}

Bytes VorbisDecode(const std::string& path) {
  OggVorbis_File vf;
  Bytes out;
  if (ov_fopen(path.c_str(), &vf) != 0) return out;
  char buf[4096];
  int section = 0;
  for (long n; (n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0;) out.insert(out.end(), buf, buf + n);
  ov_clear(&vf);
  return out;
}

class DiskPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_DISKAUDIOFILE", dir_.file("capture.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);  // about ten times real time
    WaveOutSetDriverName("disk");
  }
  void TearDown() override { WaveOutSetDriverName(nullptr); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    dir_.Write(name, bytes);
    return dir_.file(name);
  }
  // The trimmed capture of the sound played.
  Bytes Play(const std::string& path, int kind) {
    CAudioController audio;
    EXPECT_TRUE(audio.Start());
    EXPECT_TRUE(audio.Play(path.c_str(), kind)) << path;
    EXPECT_TRUE(audio.WaitUntilPlayedOut(kGenerous));
    audio.Shutdown();
    std::ifstream in(dir_.file("capture.raw"), std::ios::binary);
    return Trimmed(Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }

  TempDir dir_;
};

TEST_F(DiskPlayback, PcmAdpcmAndVorbisAt44100HzStereoComeOutExactly) {
  const Samples tone = Tone(44100 * 6 / 10, 2, 44100, 440);
  const Bytes blocks = AdpcmEncode(Tone(64 * 400, 2, 44100, 330), 2);
  const std::string ogg = Write("s.ogg", WriteOggVorbis(Chirp(44100, 2, 0.7)));
  const Bytes vorbis = VorbisDecode(ogg);
  ASSERT_GT(vorbis.size(), 100000u);
  EXPECT_TRUE(Play(Write("p.wav", PcmWave(Pcm(2, 44100), AsBytes(tone))), AUDIO_KIND_WAVE) ==
              Trimmed(AsBytes(tone)));
  EXPECT_TRUE(Play(Write("a.wav", AdpcmWave(2, 44100, blocks)), AUDIO_KIND_WAVE) ==
              Trimmed(AsBytes(AdpcmDecode(blocks, 2))));
  EXPECT_TRUE(Play(ogg, AUDIO_KIND_OGG) == Trimmed(vorbis));
}

TEST_F(DiskPlayback, ConvertedSoundsMatchTheSameChainRunOffline) {
  Bytes eight(22050 / 2);
  for (size_t i = 0; i < eight.size(); ++i) eight[i] = uint8_t(128 + 90 * std::sin(0.05 * double(i)));
  const std::string pcm = Write("p8.wav", PcmWave(Pcm(1, 22050, 8), eight));
  const std::string adpcm = Write("a.wav", AdpcmWave(1, 22050, AdpcmEncode(Tone(64 * 200, 1, 22050, 500), 1)));
  const std::string ogg = Write("s.ogg", WriteOggVorbis(Chirp(22050, 1, 0.6)));
  for (const auto& [path, kind] : {std::pair{pcm, AUDIO_KIND_WAVE}, {adpcm, AUDIO_KIND_WAVE}, {ogg, AUDIO_KIND_OGG}}) {
    const Bytes expected = Trimmed(Offline(path, kind));
    ASSERT_GT(expected.size(), 50000u) << path;
    EXPECT_TRUE(Play(path, kind) == expected) << path;
  }
}

}  // namespace
