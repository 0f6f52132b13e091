// The wave output ring and ACM converters between buffers.
#include "tests/audio/AudioTestSupport.h"

namespace {

TEST(WaveBufferRing, FillsEachSlotInTurnAndWritesWhatItHolds) {
  RecordingWaveOut wo;
  const HWAVEOUT dev = reinterpret_cast<HWAVEOUT>(0x1234);
  CWaveBufferRing ring;
  ring.Fill();  // no slots yet: nothing selected, nothing written
  EXPECT_NE(ring.WriteCurrent(dev), 0u);

  const WAVEFORMATEX f8 = Pcm(1, 8000, 8);
  ring.SetFormat(&f8);
  ring.Create(8, 16384);
  ASSERT_EQ(ring.m_nCount, 8);
  EXPECT_EQ(ring.m_pSlots[7].pData[16383], 0x80);  // 8-bit silence
  Bytes data(8 * 16384 + 100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31 + i / 256);
  MemStream ms(PcmWave(f8, data));
  CWaveFileSource src;
  ASSERT_TRUE(src.OpenStream(ms.f));
  ASSERT_EQ(src.Attach(&ring), 0);

  EXPECT_EQ(ring.PrepareWaveHeaders(dev), 0u);
  ASSERT_EQ(wo.prepared.size(), 8u);
  for (int i = 0; i < 10; ++i) {
    ring.Fill();
    WAVEHDR& h = ring.m_pSlots[i % 8].hdr;
    EXPECT_EQ(wo.prepared[i % 8], &h);
    EXPECT_EQ(ring.m_pCurrentHeader, &h);
    EXPECT_EQ(h.lpData, reinterpret_cast<LPSTR>(ring.m_pSlots[i % 8].pData));
    EXPECT_EQ(h.dwBufferLength, DWORD(i < 8 ? 16384 : i == 8 ? 100 : 0)) << i;
    EXPECT_EQ(ring.WriteCurrent(dev) == 0, i < 9) << i;  // an empty fill is not written
  }
  EXPECT_EQ(wo.written.size(), 9u);
  EXPECT_EQ(wo.Played(), data);
  wo.result = MMSYSERR_INVALHANDLE;
  EXPECT_EQ(ring.UnprepareWaveHeaders(dev), MMSYSERR_INVALHANDLE);
}

using AcmConverterTest = AcmTest;

TEST_F(AcmConverterTest, OpenRefusalsAndShortConversions) {
  CSampleBuffer a, b;
  CAcmConverter c;
  EXPECT_EQ(c.Open(nullptr, &b), ACMCONV_BAD_ARGUMENT);
  const WAVEFORMATEX adpcm{WAVE_FORMAT_XBOX_ADPCM, 2, 44100, 49612, 72, 4, 2};
  const WAVEFORMATEX stereo = Pcm(2, 44100), stereo8 = Pcm(2, 44100, 8), mono22 = Pcm(1, 22050);
  a.SetFormat(&stereo);
  b.SetFormat(&adpcm);
  b.Allocate(100);
  EXPECT_EQ(c.Open(&a, &b), ACMCONV_NO_DRIVER);  // PCM to ADPCM
  a.SetFormat(&adpcm);
  b.SetFormat(&stereo8);  // the codec delivers 16 bits only
  EXPECT_EQ(c.Open(&a, &b), ACMCONV_FORMAT_SUGGEST);
  b.SetFormat(&mono22);  // nor does it change channels or rate
  EXPECT_EQ(c.Open(&a, &b), ACMCONV_STREAM_OPEN);
  EXPECT_EQ(c.m_hadid, nullptr);

  // PCM to PCM into 25 frames: a conversion shorter than prepared still unprepares.
  const WAVEFORMATEX mono8 = Pcm(1, 44100, 8);
  a.SetFormat(&mono8);
  b.SetFormat(&stereo);
  ASSERT_EQ(c.Open(&a, &b), 0);
  ASSERT_EQ(a.m_nCapacity, 25);
  a.m_pData[0] = 0x00, a.m_pData[1] = 0xFF, a.m_pData[2] = 0x81;
  a.m_nValid = 3;
  c.Convert();
  EXPECT_EQ(AsSamples(Bytes(b.m_pData, b.m_pData + b.m_nValid)), Samples({-32768, -32768, 32512, 32512, 256, 256}));
  a.m_nValid = 0;
  c.Convert();  // an ended source, nothing held back: nothing
  EXPECT_EQ(b.m_nValid, 0);
  EXPECT_EQ(b.UnprepareConversion(&c), 0u);
}

}  // namespace
