#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#include "tests/support/Shell.h"

namespace {

struct Result : ShellRun {
  std::vector<std::string> lines() const { return Lines(out); }
};
Result Exec(const std::string& command) { return {Run(command)}; }

const char kTagTree[] = "Ambient\n  Calm\n  Storm\nWeapons\nVoice\n  Guard\n  Merchant\n  Caf\xC3\xA9\n";

class CliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    set = new TempDir;
    ASSERT_EQ(Exec(std::string(MKSET_BIN) + " --sample " + set->path()).status, 0);
  }
  static void TearDownTestSuite() { delete set; }
  Result Vantor(const std::string& args) { return Exec(std::string(VANTOR_BIN) + " " + args); }
  // `vantor list` of the sample set with more options.
  Result List(const std::string& options = "") { return Vantor("list " + set->path() + " " + options); }
  static TempDir* set;
};
TempDir* CliTest::set = nullptr;

TEST_F(CliTest, ListsRowsAsEscapedUtf8) {
  Result r = List();
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = r.lines();
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0], "1      \t+Ambient.Calm\twind_calm.wav\tD1: 0x0000000D\t600\tThe wind is calm.");
  EXPECT_EQ(lines[6], "7      \t+Voice.Caf\xC3\xA9 <invalid tag> <invalid tag 0x07> +Voice.<subtag 02 01 00 00>"
                      "\tguard_halt.wav\tD1: 0x0000000D\t600\tHalt! Caf\xC3\xA9 ferm\xC3\xA9.");
  EXPECT_EQ(lines[7], "8      \t+Voice.Caf\xC3\xA9 <invalid tag> <invalid tag 0x07> +Voice.<subtag 02 01 00 00>"
                      "\tguard_lost\t\t0\tLost\\tline");

  // A file of the set names the set too; columns are chosen by kind.
  r = Vantor("list " + set->file("SchemaMetafile.csc") + " --columns 2,9 --sort 2");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.lines()[0], "\t");
  EXPECT_EQ(r.lines()[17], "wind_storm.ogg\tES A storm is coming.");
}

TEST_F(CliTest, FiltersAndSorts) {
  // --show takes the shown switches: 8 shows tagged sounds but no kind of file.
  for (auto [options, rows] : {std::pair{"--show 8", 0u}, {"--show f", 8u}, {"--show 1b", 10u},  // 1b: no WAV files
                               {"--tag 0 --subtag 1", 12u}}) {
    EXPECT_EQ(List(options).lines().size(), rows) << options;
  }
  EXPECT_EQ(List("--missions 3fe --show 17 --columns 1").out,
            "m01_guard_halt_male\nm01_guard_halt_male\nm03_merchant_FEMALE\nM02_guard_male\nM02_guard_male\n"
            "m06_gate_female\n");
  EXPECT_EQ(List("--desc --columns 0,2").lines()[0], "18     \tmerchant_f.ogg");
}

TEST_F(CliTest, JsonHoldsTypedValues) {
  Result r = List("--json");
  ASSERT_EQ(r.status, 0);
  nlohmann::json rows = nlohmann::json::parse(r.out);
  ASSERT_EQ(rows.size(), 18u);
  const std::tuple<int, const char*, nlohmann::json> expected[] = {
      {0, "/kind", "tagged"}, {0, "/metafile", 3}, {0, "/offset", 13}, {0, "/wavSize", 600},
      {0, "/tags/0/tagName", "+Ambient"}, {0, "/tags/0/subTagName", "Calm"}, {1, "/fileName", "wind_storm.ogg"},
      {5, "/fileName", ""}, {5, "/name", "none"},  // the missing file named "none"
      {7, "/missing", true}, {7, "/offset", nullptr}, {7, "/subtitles/0", "Lost\tline"},
      {8, "/kind", "mission"}, {8, "/flags", 0x0A}, {8, "/id", "m01_guard_halt_male"},
      {2, "/tags/0/subTag", 1}, {2, "/tags/1/subTag", -1}};  // "+Ambient.Storm _Weapons"
  for (const auto& [row, key, value] : expected)
    EXPECT_EQ(rows[row].at(nlohmann::json::json_pointer(key)), value) << row << key;
}

TEST_F(CliTest, TagsInfoAndMeta) {
  EXPECT_EQ(Vantor("tags " + set->path()).out, kTagTree);
  nlohmann::json info = nlohmann::json::parse(Vantor("info --json " + set->path()).out);
  const std::pair<const char*, nlohmann::json> counts[] = {
      {"/tags", 3}, {"/taggedSounds", 5}, {"/missionSounds", 6}, {"/soundInfoRecords", 4},
      {"/soundFiles/missing", 2}, {"/storedBytes", 1300}, {"/complete", true}};
  for (const auto& [key, value] : counts) EXPECT_EQ(info.at(nlohmann::json::json_pointer(key)), value) << key;
  Result meta = Vantor("meta " + set->path() + " 1 --sort 2");  // row 1 by file name: the "none" file
  ASSERT_EQ(meta.status, 0) << meta.err;
  std::vector<std::string> lines = meta.lines();
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Sounds");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "sword_clash.wav\tD3: 0x0000000D\t300\t");
  EXPECT_EQ(lines[3], "\t\t0\t");
  auto at = std::find(lines.begin(), lines.end(), "Unknown Data");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(*(at + 2), "0000 | 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(*(at + 4), "0020 | 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(*(at + 5), "bytes 1-4 = 0");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "References"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "File References"), lines.end());
}

TEST_F(CliTest, ExitStatusesAndMessages) {
  Result r = Vantor("list /nonexistent/set");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("/nonexistent/set"), std::string::npos);
  EXPECT_EQ(List("--show zz").status, 2);
  EXPECT_EQ(List("--sort 12").status, 2);
  EXPECT_EQ(Vantor("meta " + set->path() + " 99").status, 2);
  EXPECT_EQ(Vantor("frobnicate").status, 2);
  EXPECT_EQ(Vantor("list --help").status, 0);
  // Extract's rows: all, or ranges and single rows up to the last (ExtractCli refuses one past it).
  // Only the sample's Ogg files (5 rows, among them 2 and 18) extract: its WAVE files hold no WAVE data.
  TempDir out;
  EXPECT_EQ(Vantor("extract " + set->path() + " --out " + out.path()).out, "Extracted 5 of 18 files.\n");
  EXPECT_EQ(Vantor("extract " + set->path() + " --rows 1-2,18 --out " + out.path()).out, "Extracted 2 of 3 files.\n");
  // vantor-mkset makes the folders it writes into; a file in the way is refused with exit 1.
  EXPECT_EQ(Exec(std::string(MKSET_BIN) + " --sample " + out.file("Games/Quarnhold")).status, 0);
  EXPECT_EQ(Vantor("list " + out.file("Games/Quarnhold")).lines().size(), 18u);
  r = Exec(std::string(MKSET_BIN) + " --sample " + out.file("Games/Quarnhold/SchemaMetafile.csc/set"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("vantor-mkset: " + out.file("Games/Quarnhold/SchemaMetafile.csc/set") + ": ", 0), 0u) << r.err;

  // A cut hard-drive metafile: exit 3, diagnostics on stderr, what was read still listed.
  TempDir cut;
  for (const auto& e : std::filesystem::directory_iterator(set->path()))
    std::filesystem::copy_file(e.path(), cut.file(e.path().filename().string()));
  std::filesystem::resize_file(cut.file("SchemaMetafile_Harddrive.csc"), 110);  // inside the tagged sound table
  r = Vantor("list " + cut.path());
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "CArchiver exception!\nErrorCode = 0x0006, Message = \"<none>\"\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Vantor("tags " + cut.path()).out, kTagTree);
}

TEST_F(CliTest, FindPrintsMatchingRowsWithTheRowNumberOfMetaAndPlay) {
  // Each line is the row's number and its line of `vantor list` with the same options; the rows
  // are those whose cells hold the text in any case and with any accents, in any column.
  const struct {
    std::string text, options, shown;  // `shown`: what the listed line holds (UTF-8)
  } cases[] = {{"'cafe FERME'", "", "Caf\xC3\xA9 ferm\xC3\xA9."},
               {"'\xC3\x89S A STORM'", "--columns 2 --sort 2 --desc", "wind_storm.ogg"},  // Spanish: not listed
               {"M02_", "--sort 1", "M02_guard_male"}};
  for (const auto& c : cases) {
    Result found = Vantor("find " + set->path() + " " + c.text + " " + c.options);
    ASSERT_EQ(found.status, 0) << c.text << found.err;
    const std::vector<std::string> listed = List(c.options).lines();
    std::vector<std::string> expected;
    for (size_t r = 0; r < listed.size(); ++r)
      if (listed[r].find(c.shown) != std::string::npos) expected.push_back(std::to_string(r + 1) + "\t" + listed[r]);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(found.lines(), expected) << c.text;
  }
  // The number is the one `vantor meta` takes, even where "#" counts down.
  Result found = Vantor("find " + set->path() + " merchant_f --desc --columns 0,2");
  ASSERT_EQ(found.status, 0);
  const std::string first = found.lines()[0];
  EXPECT_EQ(first.substr(first.find('\t') + 1), "18     \tmerchant_f.ogg");
  const std::string row = first.substr(0, first.find('\t'));
  EXPECT_EQ(Vantor("meta " + set->path() + " " + row + " --desc").lines()[2], "merchant_f.ogg\tD2: 0x0000000D\t400\tWelcome, traveller.");

  nlohmann::json rows = nlohmann::json::parse(Vantor("find " + set->path() + " 'lost\tline' --json").out);
  ASSERT_EQ(rows.size(), 3u);  // one tagged and two mission sounds use the file
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i]["row"], std::vector<int>({8, 10, 15})[i]);
    EXPECT_EQ(rows[i]["subtitles"][0], "Lost\tline");
  }

  Result none = Vantor("find " + set->path() + " 'no such sound'");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  for (const std::string& bad : std::vector<std::string>{"find", "find " + set->path() + " ''", "find /nonexistent/set halt",
                                                         "find " + set->path() + " halt --columns 10", "find a b c"})
    EXPECT_EQ(Vantor(bad).status, 2) << bad;
}

TEST_F(CliTest, LocatesTheSetWithoutDir) {
  TempDir home;
  std::string vantor = "env -u WINEPREFIX -u XDG_CONFIG_HOME HOME=" + home.path() + " " + VANTOR_BIN + " ";
  Result none = Exec(vantor + "info");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("Vantor has no valid path to Quarn sound files"), std::string::npos);
  EXPECT_EQ(Exec(vantor + "locate --set " + home.path()).status, 2);  // not a set: nothing stored
  EXPECT_FALSE(std::filesystem::exists(home.file(".config/quarn-vantor")));

  Result stored = Exec(vantor + "locate --set " + set->file("SchemaMetafile_DVD1.csc"));
  ASSERT_EQ(stored.status, 0) << stored.err;
  Result where = Exec(vantor + "locate");
  EXPECT_EQ(where.lines()[0], set->dir());
  EXPECT_NE(where.out.find("stored setting"), std::string::npos);
  EXPECT_EQ(Exec(vantor + "list").out, List().out);
  EXPECT_EQ(Exec(vantor + "meta 2").out, Vantor("meta " + set->path() + " 2").out);
}

}  // namespace
