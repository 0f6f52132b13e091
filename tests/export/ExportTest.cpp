// The export workers' files, byte for byte, their failure paths, and safe output names.
#include <sys/mount.h>

#include <algorithm>
#include <cstring>

#include "export/SoundExport.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/support/CatalogueProbes.h"

namespace {

const Bytes kPcm8 = [] {  // 1001 unsigned 8-bit samples: an odd data size
  Bytes b(1001);
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(128 + 100 * std::sin(i * 0.05));
  return b;
}();
const Bytes kPcm16 = AsBytes(Tone(3000, 2, 22050, 440));  // 12000 bytes
const Bytes kAdpcm = AdpcmEncode(Tone(64 * 100, 1, 22050, 330), 1);  // 100 blocks of 36 bytes
const Bytes kOgg = Text("OggS") + Bytes(9000, 0x5A);
// 8192 stored bytes in all: one whole copy piece and no remainder.
const Bytes kExact = PcmWave(Pcm(1, 8000), Bytes(8192 - 44, 7));
// 8-bit mono at 8000 Hz: the start of a WAVE file, the stored data of "greedy", and a sound
// that follows others in the metafile.
const Bytes kHead8 = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 1, 8)));
const Bytes kGreedyData(1000, 0x42);
const Bytes kNext = PcmWave(Pcm(1, 8000, 8), Bytes(3000, 0xEE));

const Bytes kPcm8Wave =
    Riff(Chunk("fmt ", Fmt(1, 1, 11025, 1, 8)) + Chunk("LIST", {'I', 'N', 'F', 0}) + Chunk("data", kPcm8));

std::vector<SetSound> Sounds() {
  return {{"pcm8", kPcm8Wave},
          {"pcm16", PcmWave(Pcm(2, 22050), kPcm16)},
          {"adpcm", AdpcmWave(1, 22050, kAdpcm)},
          {"voice", kOgg, true},
          {"exact", kExact},
          {"NoNe", kExact},
          {"gone", kExact, false, 1, -1, true},
          {"empty", {}},
          {"mulaw", Riff(Chunk("fmt ", Fmt(7, 1, 8000, 1, 8)) + Chunk("data", Bytes(100, 1)))},
          {"nowave", Bytes(300, 'x')},
          {"cutraw", kExact, false, 3, 20000},  // claims more than its metafile holds
          {"cutwave", Bytes(kExact.begin(), kExact.begin() + 40) + Le(16000, 4) + Bytes(8148, 9), false, 4},
          {"../../evil", kExact},
          {"a/b", kExact},
          {"C:x", kExact},
          {"\x01" "bell", kExact},
          {"..", kExact},
          // Sizes that lead out of the stored bytes into the next sound's.
          {"greedy", kHead8 + Text("data") + Le(40000, 4) + kGreedyData},
          {"next", kNext},
          {"skipper", kHead8 + Text("LIST") + Le(16 + 36, 4) + Bytes(16, 0)},  // onto kNext's "data"
          {"next", kNext},
          {"next", kPcm8Wave}};  // another sound of that name
}

class ExportTest : public AcmTest {
 protected:
  static void SetUpTestSuite() { set = new LoadedSoundSet(Sounds()); }
  static void TearDownTestSuite() { delete set; }
  static bool Raw(int row, std::string* why = nullptr) { return ExtractRaw(&set->model(), set->item(row), why); }
  static bool Wave(int row, std::string* why = nullptr) { return ExtractWave(&set->model(), set->item(row), why); }
  // The names in the current directory, sorted.
  static std::vector<std::string> Names(const char* dir = ".") {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static inline LoadedSoundSet* set;
  InTempDir out;
};

TEST_F(ExportTest, RawCopiesAreTheStoredBytes) {
  for (int row : {0, 1, 2, 3, 4}) EXPECT_TRUE(Raw(row)) << row;
  EXPECT_EQ(ReadFileBytes("pcm16.wav"), Sounds()[1].bytes);
  EXPECT_EQ(ReadFileBytes("adpcm.wav"), Sounds()[2].bytes);
  EXPECT_EQ(ReadFileBytes("voice.ogg"), kOgg);
  EXPECT_EQ(ReadFileBytes("exact.wav"), kExact);
  EXPECT_TRUE(PlayItem(&set->model(), set->item(3)));
  EXPECT_EQ(ReadFileBytes("Vantor.tmp"), kOgg);
  std::filesystem::remove("voice.ogg");
  EXPECT_TRUE(Wave(3));  // Ogg Vorbis is saved unchanged by the decoding export too
  EXPECT_EQ(ReadFileBytes("voice.ogg"), kOgg);
}

TEST_F(ExportTest, DecodedWaveFilesHaveTheCanonicalHeader) {
  for (int row : {0, 1, 2, 4}) EXPECT_TRUE(Wave(row)) << row;
  // A 16-byte "fmt " and the data alone; the odd 8-bit data's pad byte counts in the RIFF size only.
  EXPECT_EQ(ReadFileBytes("pcm8.wav"), PcmWave(Pcm(1, 11025, 8), kPcm8));
  EXPECT_EQ(ReadFileBytes("pcm16.wav"), PcmWave(Pcm(2, 22050), kPcm16));
  EXPECT_EQ(ReadFileBytes("adpcm.wav"), PcmWave(Pcm(1, 22050), AsBytes(AdpcmDecode(kAdpcm, 1))));
  EXPECT_EQ(ReadFileBytes("exact.wav"), kExact);  // a canonical PCM file comes out as it went in
}

TEST_F(ExportTest, FailuresSayWhyLeaveOldFilesAndNoStreamOpen) {
  const auto openFds = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  const auto before = openFds();
  for (int row : {5, 6, 7})  // named "none", no data, no size: every way fails
    EXPECT_FALSE(Raw(row) || Wave(row) || PlayItem(&set->model(), set->item(row))) << row;
  EXPECT_TRUE(Raw(8) && Raw(9));
  // Files extracted well before, which failures of the same names must leave as they are.
  const Bytes good = Text("good");
  for (const char* name : {"cutraw.wav", "cutwave.wav", "mulaw.wav", "nowave.wav", "Vantor.tmp"})
    out.Write(name, good);
  const std::pair<int, const char*> failures[] = {
      {5, "named \"none\""}, {6, "missing from the set"}, {7, "no stored bytes"},
      {8, "unsupported format 0x0007 with 1 channels"}, {9, "not a WAVE file"},
      {10, "stored bytes past the end of SchemaMetafile_DVD1.csc"},
      {11, "the data chunk runs past the stored bytes"}};
  for (auto [row, reason] : failures) {
    std::string why;
    EXPECT_FALSE(Wave(row, &why));
    EXPECT_EQ(why, reason) << row;
  }
  EXPECT_FALSE(Raw(10));
  EXPECT_FALSE(PlayItem(&set->model(), set->item(10)));
  for (const char* name : {"cutraw.wav", "cutwave.wav", "mulaw.wav", "nowave.wav", "Vantor.tmp"})
    EXPECT_EQ(ReadFileBytes(name), good) << name;
  // Sizes that lead out of the stored bytes fail as a cut file does.
  EXPECT_FALSE(Wave(17) || Wave(19));

  // Output that cannot be put in place (a directory of that name).
  std::filesystem::create_directory("pcm16.wav");
  EXPECT_FALSE(Wave(1) || Raw(1));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Vantor.tmp", "cutraw.wav", "cutwave.wav", "mulaw.wav", "nowave.wav",
                                               "pcm16.wav"}));  // no temporary file left
  EXPECT_EQ(openFds(), before);
}

TEST_F(ExportTest, UntrustedNamesStayInTheOutputDirectory) {
  for (int row : {12, 13, 14, 15}) EXPECT_TRUE(Raw(row) && Wave(row)) << row;
  EXPECT_FALSE(Raw(16));  // ".." is no file name
  EXPECT_EQ(Names(), (std::vector<std::string>{".._.._evil.wav", "C_x.wav", "_bell.wav", "a_b.wav"}));
  std::string name;
  EXPECT_TRUE(MakeOutputFileName("x\\..\\y\x7f", "ogg", name));
  EXPECT_EQ(name, "x_.._y_.ogg");
  EXPECT_TRUE(MakeOutputFileName("Caf\xE9 ...", "wav", name));  // other text is untouched
  EXPECT_EQ(name, "Caf\xE9 ....wav");
  for (const char* bad : {"", ".", ".."})
    EXPECT_FALSE(MakeOutputFileName(bad, "wav", name));
}

TEST_F(ExportTest, ExtractRowsNumbersNameSharersAndNamesFailures) {
  RecordingSink sink;
  // The same stored sound twice: one file, two successes; a row beyond the list steps and
  // fails. Another sound of a name already written gets the next number.
  ExtractReport r = ExtractRows(set->model(), {4, 5, 4, 99, 3, 18, 21, 18, 20, 10, 9}, false, &sink);
  EXPECT_EQ(r.nExtracted, 7);
  EXPECT_EQ(sink.calls.size(), 12u);
  EXPECT_EQ(sink.calls[0], "SetStage(0,11,Extracting...)");
  EXPECT_EQ(sink.calls[11], "Step(1)");
  EXPECT_EQ(r.failures, (std::vector<std::string>{"row 6: NoNe.wav: named \"none\"", "row 100: (no name): no such row",
                                                  "row 11: cutraw.wav: stored bytes past the end of SchemaMetafile_DVD1.csc",
                                                  "row 10: nowave.wav: not a WAVE file"}));
  EXPECT_EQ(r.notes, (std::vector<std::string>{"row 22: next (2).wav: another sound is named next.wav",
                                               "row 21: next (3).wav: another sound is named next.wav"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"exact.wav", "next (2).wav", "next (3).wav", "next.wav", "voice.ogg"}));
  EXPECT_EQ(ReadFileBytes("next.wav"), kNext);
  EXPECT_EQ(ReadFileBytes("next (2).wav"), PcmWave(Pcm(1, 11025, 8), kPcm8));
  EXPECT_EQ(ExtractRows(set->model(), {0, 1, 2}, true, nullptr).nExtracted, 3);
}

// A small file system of its own, where the test may mount one.
TEST_F(ExportTest, FullOrReadOnlyFileSystemLeavesNoPartialFile) {
  TempDir mnt;
  if (mount("tmpfs", mnt.path().c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here (" << strerror(errno) << "); needs root";
  std::filesystem::current_path(mnt.path());
  // 12 KiB fits; the 8 KiB that follow do not, the 1 KiB after them does.
  ExtractReport r = ExtractRows(set->model(), {1, 4, 0}, false, nullptr);
  EXPECT_EQ(r.nExtracted, 2);
  EXPECT_EQ(r.failures, std::vector<std::string>{"row 5: exact.wav: disk full"});
  EXPECT_EQ(Names(), (std::vector<std::string>{"pcm16.wav", "pcm8.wav"}));
  // Read-only: the first refusal ends the run, said once.
  ASSERT_EQ(mount("tmpfs", mnt.path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
  r = ExtractRows(set->model(), {2, 3, 4}, true, nullptr);
  EXPECT_EQ(r.nExtracted, 0);
  EXPECT_EQ(r.failures, (std::vector<std::string>{"row 3: adpcm.wav: read-only file system",
                                                  "stopped: the folder cannot be written (read-only file system)"}));
  std::filesystem::current_path(out.path());
  umount2(mnt.path().c_str(), MNT_DETACH);
}

}  // namespace
