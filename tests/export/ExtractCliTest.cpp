// `vantor extract`: rows, output directory, final line and exit status.
#include "tests/export/ExportTestSupport.h"
#include "tests/support/Shell.h"

namespace {

// What `vantor ARGS`, run in cwd, printed on each stream, and its exit status.
ShellRun Vantor(const std::string& args, const std::string& cwd = ".") {
  return Run("cd '" + cwd + "' && " + VANTOR_BIN + " " + args);
}

const Bytes kPcm = PcmWave(Pcm(2, 22050), AsBytes(Tone(3000, 2, 22050, 440)));
const Bytes kAdpcm = AdpcmWave(1, 22050, AdpcmEncode(Tone(64 * 50, 1, 22050, 330), 1));
const Bytes kOgg = Text("OggS") + Bytes(5000, 1);

TEST(ExtractCli, ExtractsTheListedRowsIntoTheOutputDirectory) {
  TempDir work;
  const std::string set = work.file("set");
  WriteSoundSet({{"pcm", kPcm}, {"adpcm", kAdpcm}, {"voice", kOgg, true}, {"NONE", kPcm}}, set);

  // Every row, decoded, into a directory that does not exist yet; "NONE" fails, and says so.
  ShellRun r = Vantor("extract " + set + " --out " + work.file("a/b"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Extracted 3 of 4 files.\n");
  EXPECT_EQ(r.err, "row 4: NONE.wav: named \"none\"\n");
  EXPECT_EQ(ReadFileBytes(work.file("a/b/pcm.wav")), kPcm);
  EXPECT_EQ(ReadFileBytes(work.file("a/b/adpcm.wav")).size(), 44u + 50 * 128);
  EXPECT_EQ(ReadFileBytes(work.file("a/b/voice.ogg")), kOgg);

  // Chosen rows, raw, with the set and the output given relative to the current directory.
  r = Vantor("extract set --raw --rows 2-3 --out raw", work.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Extracted 2 of 2 files.\n");
  EXPECT_EQ(ReadFileBytes(work.file("raw/adpcm.wav")), kAdpcm);
  EXPECT_EQ(ReadFileBytes(work.file("raw/voice.ogg")), kOgg);
  EXPECT_FALSE(std::filesystem::exists(work.file("raw/pcm.wav")));

  // Rows follow the list's order and filters: descending, the first row is the last sound.
  EXPECT_EQ(Vantor("extract " + set + " --desc --rows 1 --out " + work.file("c")).out, "Extracted 0 of 1 files.\n");
  EXPECT_EQ(Vantor("extract " + set + " --show 1b --out " + work.file("d")).out,  // Ogg only
            "Extracted 1 of 1 files.\n");
  EXPECT_EQ(Vantor("extract " + set + " --rows 5 --out " + work.file("e")).status, 2);
  EXPECT_EQ(Vantor("extract " + set + " --rows 2,x").status, 2);
}

TEST(ExtractCli, InterruptedRunLeavesNoTemporaryFile) {
  TempDir work;
  const Bytes big = PcmWave(Pcm(2, 22050), Bytes(8 << 20, 3));
  WriteSoundSet(std::vector<SetSound>(24, {"big", big}), work.file("set"));
  // SIGINT once a temporary file (".big.wav.XXXXXX") is there; a background job of a shell
  // would ignore it without --default-signal.
  const std::string out = Shell("cd '" + work.path() + "' && { env --default-signal=INT " + VANTOR_BIN +
                                " extract set --out o >/dev/null 2>&1 & for i in $(seq 2000); do ls -A o 2>/dev/null"
                                " | grep -q '^[.]' && break; sleep 0.005; done; kill -INT $!; wait $!; echo $?; ls -A o; }");
  EXPECT_EQ(out.substr(0, 4), "130\n");
  EXPECT_EQ(out.find("\n."), std::string::npos) << out;
}

}  // namespace
