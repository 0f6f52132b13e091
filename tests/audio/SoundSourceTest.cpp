// WAVE sources: parsing, reading, the chains Connect builds, and whole sounds pulled
// through them.
#include "tests/audio/AudioTestSupport.h"

namespace {

const WAVEFORMATEX kStereo = Pcm(2, 44100);
const Bytes kFmt = Fmt(1, 2, 44100, 4, 16);

// What one read of at most `max` bytes delivers.
Bytes ReadOnce(CWaveFileSource& s, int max = 4096) {
  Bytes buf(static_cast<size_t>(max));
  s.Read(buf.data(), &max);
  return Bytes(buf.begin(), buf.begin() + max);
}

TEST(WaveFileSource, ParsesWhatItShouldAndRefusesTheRest) {
  const Bytes d = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, adpcm(144, 0x5A), data = Chunk("data", Bytes(8, 1));
  const Bytes d10(d.begin(), d.begin() + 10);
  struct {
    const char* what;
    Bytes file;
    WORD tag = 0, cbSize = 0;  // tag 0: refused
    Bytes data = {};
  } cases[] = {
      {"16-byte fmt", PcmWave(kStereo, d), 1, 0, d},
      {"18-byte fmt", Riff(Chunk("fmt ", kFmt + Le(0, 2)) + Chunk("data", d)), 1, 0, d},
      {"xbox adpcm, chunks before data", AdpcmWave(2, 22050, adpcm), WAVE_FORMAT_XBOX_ADPCM, 2, adpcm},
      {"odd chunks and pads",
       Riff(Chunk("fmt ", kFmt) + Chunk("a   ", {1}) + Chunk("b   ", {1, 2, 3}) + Chunk("data", d)), 1, 0, d},
      {"17-byte fmt", Riff(Chunk("fmt ", kFmt + Bytes{9}) + Chunk("data", d)), 1, 0, d},
      {"cbSize past its chunk", Riff(Chunk("fmt ", kFmt + Le(40, 2)) + Chunk("data", d)), 1, 40, d},
      {"data cut short", Riff(Chunk("fmt ", kFmt) + Text("data") + Le(1000, 4) + d10), 1, 0,
       Bytes(d10.begin(), d10.end() - 2)},
      {"empty", {}},
      {"not RIFF", Text("RIFX") + Le(40, 4) + Text("WAVE") + Chunk("fmt ", kFmt) + data},
      {"not WAVE", Text("RIFF") + Le(40, 4) + Text("AVI ") + Chunk("fmt ", kFmt) + data},
      {"fmt not first", Riff(Chunk("LIST", Text("INFO")) + Chunk("fmt ", kFmt) + data)},
      {"fmt too small", Riff(Chunk("fmt ", Bytes(kFmt.begin(), kFmt.begin() + 14)) + data)},
      {"fmt cut short", Riff(Text("fmt ") + Le(16, 4) + Bytes(10, 1))},
      {"no data chunk", Riff(Chunk("fmt ", kFmt) + Chunk("LIST", Text("INFO")))},
      {"chunk header cut short", Riff(Chunk("fmt ", kFmt) + Text("dat"))},
      {"chunk past the end", Riff(Chunk("fmt ", kFmt) + Text("LIST") + Le(1000, 4) + Bytes(8, 0))},
      {"block align 0", Riff(Chunk("fmt ", Fmt(1, 2, 44100, 0, 16)) + data)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemStream ms(c.file);
    CWaveFileSource s;
    ASSERT_EQ(s.OpenStream(ms.f), c.tag != 0);
    if (!c.tag) continue;
    EXPECT_EQ(s.m_primary.m_wfx.wFormatTag, c.tag);
    EXPECT_EQ(s.m_primary.m_wfx.cbSize, c.cbSize);
    EXPECT_EQ(ReadOnce(s), c.data);
  }
}

TEST(WaveFileSource, ReadsWholeBlocksFromWhereTheStreamStands) {
  Bytes blocks(100 * 36 + 10);  // 100 blocks and 10 bytes that make no block
  for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = uint8_t(i * 7);
  const Bytes file = AdpcmWave(1, 44100, blocks);
  MemStream ms(Bytes(5, 0xEE) + file);
  std::fseek(ms.f, 5, SEEK_SET);
  CWaveFileSource s;
  ASSERT_TRUE(s.OpenStream(ms.f));
  EXPECT_FALSE(s.OpenStream(ms.f));
  Bytes got;
  // Requests and deliveries: whole blocks, at most what remains.
  for (auto [want, delivered] : {std::pair{2304, 2304}, {50, 36}, {2304, 1260}, {2304, 0}}) {
    const Bytes b = ReadOnce(s, want);
    EXPECT_EQ(b.size(), size_t(delivered));
    got.insert(got.end(), b.begin(), b.end());
  }
  EXPECT_EQ(got, Bytes(blocks.begin(), blocks.begin() + 3600));
  EXPECT_TRUE(s.Close());
  EXPECT_EQ(std::ftell(ms.f), long(5 + file.size() - 10));  // a handed-in stream stays open
  Bytes none(10);
  int n = 10;
  EXPECT_EQ(s.Read(none.data(), &n), -1);
  EXPECT_EQ(n, 0);
}

TEST(WaveFileSource, StaysInsideItsStoredBytes) {
  // The sound's stored bytes, then the next sound's, as a metafile holds them.
  const Bytes next = PcmWave(Pcm(1, 8000, 8), Bytes(600, 0xEE));
  const Bytes head = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 1, 8))), data(100, 0x42);
  struct {
    const char* what;
    Bytes sound;
    bool opens;
  } cases[] = {
      {"data claims more than is stored", head + Text("data") + Le(50000, 4) + data, true},
      {"a chunk skips out onto the next sound's data chunk", head + Text("LIST") + Le(16 + 36, 4) + Bytes(16, 0),
       false},
      {"the header runs past the stored bytes", Bytes(head.begin(), head.begin() + 30), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemStream ms(c.sound + next);
    CWaveFileSource s(int64_t(c.sound.size()));
    ASSERT_EQ(s.OpenStream(ms.f), c.opens);
    if (c.opens) {
      EXPECT_EQ(ReadOnce(s), data);
      EXPECT_EQ(ReadOnce(s), Bytes{});  // the stored bytes are spent, whatever the chunk claims
    }
    EXPECT_LE(std::ftell(ms.f), long(c.sound.size()));
  }
}

using SourceChain = AcmTest;

TEST_F(SourceChain, ConnectWiresEveryCase) {
  CSampleBuffer target;
  target.SetFormat(&kStereo);
  target.Allocate(16384);
  const WAVEFORMATEX mono22 = Pcm(1, 22050);
  for (int k = 0; k < 4; ++k) {
    const Bytes file[] = {PcmWave(kStereo, Bytes(64, 0)), PcmWave(Pcm(1, 22050), Bytes(64, 0)),
                          AdpcmWave(2, 44100, Bytes(72, 0)), AdpcmWave(1, 22050, Bytes(36, 0))};
    MemStream ms(file[k]);
    CWaveFileSource s;
    ASSERT_TRUE(s.OpenStream(ms.f));
    ASSERT_EQ(s.Attach(&target), 0);
    CSampleBuffer *p = &s.m_primary, *mid = &s.m_intermediate;
    CAcmConverter *first = &s.m_first, *second = &s.m_second;
    const bool codec = k >= 2, convert = k % 2;  // copy, PCM conversion, codec, codec then conversion
    EXPECT_EQ(s.m_pTarget, &target);
    EXPECT_EQ(target.m_pSource, nullptr);
    EXPECT_EQ(target.m_pUpstream, codec && convert ? mid : p) << k;
    EXPECT_EQ(target.m_pConverter, convert ? second : codec ? first : nullptr) << k;
    EXPECT_EQ(mid->m_pUpstream, codec && convert ? p : nullptr) << k;
    EXPECT_EQ(mid->m_pConverter, codec && convert ? first : nullptr) << k;
    EXPECT_EQ(p->m_pDownstream, codec && convert ? mid : &target) << k;
    EXPECT_EQ(p->m_pSource, &s);
    EXPECT_EQ(first->m_hadid, codec ? g_idXboxAdpcmDriver : nullptr) << k;
    EXPECT_EQ(second->m_hadid, convert ? g_idPcmConverterDriver : nullptr) << k;
    const int fill[] = {16384, 4096, 64 * 72, 32 * 36};  // native bytes for one fill of the next buffer
    EXPECT_EQ(p->m_nCapacity, fill[k]);
    EXPECT_EQ(std::memcmp(&mid->m_wfx, &mono22, sizeof mono22) == 0, codec && convert);
  }
  EXPECT_EQ(target.m_pUpstream, nullptr);  // a source that is gone leaves no link behind
}

TEST_F(SourceChain, ConnectRefusals) {
  CSampleBuffer target;
  target.SetFormat(&kStereo);
  MemStream ms(PcmWave(kStereo, Bytes(64, 0)));
  CWaveFileSource s;
  ASSERT_TRUE(s.OpenStream(ms.f));
  EXPECT_EQ(s.Attach(nullptr), SOURCE_BAD_TARGET);
  EXPECT_EQ(s.Attach(&target), SOURCE_BAD_TARGET);  // no storage
  target.Allocate(1024);
  const Bytes adpcm = AdpcmWave(2, 22050, Bytes(72, 0));
  struct {
    Bytes file;
    WAVEFORMATEX target;
    int code;
  } cases[] = {
      {Riff(Chunk("fmt ", Fmt(1, 3, 44100, 6, 16)) + Chunk("data", Bytes(6, 0))), kStereo, SOURCE_BAD_CHANNELS},
      {Riff(Chunk("fmt ", Fmt(1, 2, 44100, 3, 16)) + Chunk("data", Bytes(6, 0))), kStereo, SOURCE_CONVERTER},
      {adpcm, Pcm(2, 44100, 8), SOURCE_FIRST_CONVERTER},  // the intermediate takes 8 bits, the codec gives 16
      {adpcm, Pcm(2, 2000000), SOURCE_SECOND_CONVERTER},
  };
  for (const auto& c : cases) {
    MemStream m(c.file);
    CWaveFileSource v;
    ASSERT_TRUE(v.OpenStream(m.f));
    target.SetFormat(&c.target);
    EXPECT_EQ(v.Attach(&target), c.code);
    EXPECT_EQ(target.m_pUpstream, nullptr);  // nothing points into a half-built chain
  }
}

// A whole sound pulled through a chain into 8192-byte fills of the given format.
Bytes Decode(const Bytes& file, const WAVEFORMATEX& out) {
  TempDir dir;
  dir.Write("s.wav", file);
  return DecodeFile(dir.file("s.wav"), out);
}

TEST_F(SourceChain, WholeSoundsComeThroughConverted) {
  // Twice the frames, the filter's tail included, and still the same tone.
  const int frames = 10007;
  const Samples up = AsSamples(Decode(PcmWave(Pcm(1, 22050), AsBytes(Tone(frames, 1, 22050, 1000))), kStereo));
  ASSERT_EQ(up.size(), size_t(4 * frames));
  const Samples want = Tone(2 * frames, 1, 44100, 1000);
  double worst = 0;
  for (int i = 200; i < 2 * frames - 200; ++i)
    worst = std::max({worst, std::fabs(up[2 * i] - want[i]), std::fabs(up[2 * i + 1] - want[i])});
  EXPECT_LT(worst, 120.0);

  // Xbox ADPCM then a rate conversion equals the two steps apart.
  const Bytes blocks = AdpcmEncode(Tone(64 * 201, 1, 22050, 500), 1);
  const Bytes both = Decode(AdpcmWave(1, 22050, blocks), kStereo);
  EXPECT_EQ(both.size(), size_t(64 * 201 * 2 * 4));
  EXPECT_EQ(both, Decode(PcmWave(Pcm(1, 22050), AsBytes(AdpcmDecode(blocks, 1))), kStereo));
}

}  // namespace
