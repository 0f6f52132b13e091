// Playback end to end through SDL's disk driver: the capture against the sound as 44100 Hz stereo
// 16-bit PCM, decoded independently where no rate conversion is involved, else by the same chain offline.
#include <vorbis/vorbisfile.h>

#include <cstdlib>

#include "audio/AudioController.h"
#include "audio/OggFileSource.h"
#include "tests/audio/AudioTestSupport.h"
#include "tools/AudioWriters.h"

namespace {

Bytes Trimmed(const Bytes& b) {
  size_t begin = 0, end = b.size();
  while (begin < end && b[begin] == 0) ++begin;
  while (end > begin && b[end - 1] == 0) --end;
  return Bytes(b.begin() + long(begin), b.begin() + long(end));
}

Bytes Ogg(int rate, int channels, double seconds) {  // a chirp
  Clip c{rate, channels, {}};
  for (int i = 0; i < int(seconds * rate); ++i)
    for (int ch = 0; ch < channels; ++ch) c.samples.push_back(float(0.4 * sin(0.02 * i * (ch + 1) + 1e-6 * i * i)));
  return WriteOggVorbis(c);
}

// The chain of a playback ring run into a plain buffer of one ring slot.
Bytes Offline(const std::string& path, int kind) {
  EXPECT_TRUE(RegisterAcmDrivers());
  const Bytes out = kind == AUDIO_KIND_OGG ? DecodeFile<COggFileSource>(path, Pcm(2, 44100), CAudioController::kSlotBytes)
                                           : DecodeFile(path, Pcm(2, 44100), CAudioController::kSlotBytes);
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

TEST(DiskPlayback, EveryKindComesOutExactlyAsDecodedIndependentlyOrConvertedOffline) {
  TempDir dir;
  setenv("SDL_DISKAUDIOFILE", dir.file("capture.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "2", 1);  // about ten times real time
  WaveOutSetDriverName("disk");
  const auto write = [&](const std::string& name, const Bytes& bytes) {
    dir.Write(name, bytes);
    return dir.file(name);
  };

  // At 44100 Hz stereo: PCM as it is, Xbox ADPCM and Vorbis decoded independently.
  const Samples tone = Tone(44100 * 6 / 10, 2, 44100, 440);
  const Bytes blocks = AdpcmEncode(Tone(64 * 400, 2, 44100, 330), 2);
  const std::string ogg = write("s.ogg", Ogg(44100, 2, 0.7));
  struct Case { std::string path; int kind; Bytes expected; };
  std::vector<Case> cases = {
      {write("p.wav", PcmWave(Pcm(2, 44100), AsBytes(tone))), AUDIO_KIND_WAVE, AsBytes(tone)},
      {write("a.wav", AdpcmWave(2, 44100, blocks)), AUDIO_KIND_WAVE, AsBytes(AdpcmDecode(blocks, 2))},
      {ogg, AUDIO_KIND_OGG, VorbisDecode(ogg)}};
  // Converted from 22050 Hz mono: 8-bit PCM, Xbox ADPCM and Vorbis.
  Bytes eight(22050 / 2);
  for (size_t i = 0; i < eight.size(); ++i) eight[i] = uint8_t(128 + 90 * std::sin(0.05 * double(i)));
  const Bytes adpcm = AdpcmWave(1, 22050, AdpcmEncode(Tone(64 * 200, 1, 22050, 500), 1));
  for (const auto& [path, kind] : {std::pair{write("p8.wav", PcmWave(Pcm(1, 22050, 8), eight)), AUDIO_KIND_WAVE},
                                   {write("a22.wav", adpcm), AUDIO_KIND_WAVE},
                                   {write("s22.ogg", Ogg(22050, 1, 0.6)), AUDIO_KIND_OGG}})
    cases.push_back({path, kind, Offline(path, kind)});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ASSERT_GT(c.expected.size(), 80000u);
    CAudioController audio;
    ASSERT_TRUE(audio.Start());
    ASSERT_TRUE(audio.Play(c.path.c_str(), c.kind));
    EXPECT_TRUE(audio.WaitUntilPlayedOut(20000));
    audio.Shutdown();
    EXPECT_TRUE(Trimmed(ReadFileBytes(dir.file("capture.raw"))) == Trimmed(c.expected));
  }
  WaveOutSetDriverName(nullptr);
}

}  // namespace
