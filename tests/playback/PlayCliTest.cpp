// `vantor play` on the demo set through SDL's disk driver, through ALSA and PulseAudio
// (as on a player's machine, with a file and a null sink standing in for the sound card),
// and without a device.
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace {

struct Result {
  int status;
  std::string err;
};

// Runs the command in `cwd` with the disk driver writing to `capture`.
Result RunIn(const std::string& cwd, const std::string& capture, const std::string& args) {
  const std::string cmd = "cd '" + cwd + "' && SDL_DISKAUDIOFILE='" + capture + "' SDL_DISKAUDIODELAY=2 " +
                          args + " >/dev/null 2>'" + capture + ".err'";
  const int st = system(cmd.c_str());
  std::ifstream err(capture + ".err");
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, std::string(std::istreambuf_iterator<char>(err), {})};
}

TEST(PlayCommand, PlaysARowOfTheDemoSetAndFailsClearlyWithoutADevice) {
  TempDir set, cwd;
  const std::string capture = cwd.file("capture.raw"), vantor = std::string(VANTOR_BIN) + " play " + set.path();
  ASSERT_EQ(system((std::string(MKSET_BIN) + " --demo " + set.path() + " >/dev/null").c_str()), 0);

  const Result played = RunIn(cwd.path(), capture, vantor + " 1 --device disk");
  ASSERT_EQ(played.status, 0) << played.err;
  std::ifstream in(capture, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(bytes.size(), 44100u);
  EXPECT_NE(bytes.find_first_not_of('\0'), std::string::npos) << "only silence was captured";
  EXPECT_FALSE(std::ifstream(cwd.file("Vantor.tmp")).good()) << "the playback file belongs elsewhere";

  const Result none = RunIn(cwd.path(), capture, vantor + " 1 --device no-such-device");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("no sound device could be opened"), std::string::npos) << none.err;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The 16-bit stereo frames of a capture that are not silent: the devices differ in the
// silence they play before, between (a late buffer) and after a sound, and in nothing else.
std::string AudibleFrames(const std::string& capture) {
  static const char kSilent[4] = {};
  std::string out;
  for (size_t i = 0; i + 4 <= capture.size(); i += 4)
    if (memcmp(capture.data() + i, kSilent, 4) != 0) out.append(capture, i, 4);
  return out;
}

bool Have(const char* tool) { return system(("command -v " + std::string(tool) + " >/dev/null").c_str()) == 0; }

TEST(PlayCommand, AlsaAndPulseAudioPlayTheSameSamplesAsTheDiskDriver) {
  if (!Have("pulseaudio") || !Have("parec")) GTEST_SKIP() << "pulseaudio and parec are not installed";
  TempDir set, home;
  ASSERT_EQ(system((std::string(MKSET_BIN) + " --demo " + set.path() + " >/dev/null").c_str()), 0);
  const std::string vantor = std::string(VANTOR_BIN) + " play " + set.path();

  // ALSA's default device writes what it is given to a file; PulseAudio plays into a null sink
  // whose monitor parec records.
  std::ofstream(home.file(".asoundrc")) << "pcm.!default { type file slave.pcm \"null\" file \""
                                        << home.file("alsa.raw") << "\" format \"raw\" }\n";
  const std::string env = "HOME='" + home.path() + "' XDG_RUNTIME_DIR='" + home.path() + "' ";
  const std::string pactl = env + "pactl info >/dev/null 2>&1";
  ASSERT_EQ(system((env + "pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=file:'" +
                    home.file("pulse.log") + "' -L module-native-protocol-unix -L 'module-null-sink " +
                    "sink_name=card rate=44100 channels=2 format=s16le'").c_str()), 0) << ReadFile(home.file("pulse.log"));
  struct PulseStop {
    std::string env;
    ~PulseStop() { system((env + "pulseaudio --kill 2>/dev/null").c_str()); }
  } stop{env};
  ASSERT_EQ(system(("for i in $(seq 50); do " + pactl + " && exit 0; sleep 0.1; done; exit 1").c_str()), 0);

  // Xbox ADPCM as the device plays it, 8-bit PCM and Ogg Vorbis converted from 22050 Hz mono.
  std::map<std::string, std::string> rowOf;
  const std::string listing = home.file("list.txt");
  ASSERT_EQ(system((std::string(VANTOR_BIN) + " list " + set.path() + " >'" + listing + "'").c_str()), 0);
  std::ifstream list(listing);
  for (std::string line; std::getline(list, line);) {
    std::istringstream cells(line);
    std::string row, tags, file;
    std::getline(cells, row, '\t'), std::getline(cells, tags, '\t'), std::getline(cells, file, '\t');
    rowOf.emplace(file, std::to_string(std::stoi(row)));
  }
  for (const char* file : {"sword_clash_02.wav", "ui_error.wav", "m05_open_door_male.ogg"}) {
    SCOPED_TRACE(file);
    ASSERT_TRUE(rowOf.count(file));
    const std::string row = rowOf[file];
    const Result disk = RunIn(home.path(), home.file("disk.raw"), vantor + " " + row + " --device disk");
    ASSERT_EQ(disk.status, 0) << disk.err;
    const std::string expected = AudibleFrames(ReadFile(home.file("disk.raw")));
    ASSERT_GT(expected.size(), 4000u);

    // Away from the PulseAudio server, which would otherwise take ALSA's default device over.
    ASSERT_EQ(system(("HOME='" + home.path() + "' XDG_RUNTIME_DIR=/nonexistent " + vantor + " " + row +
                      " --device alsa >/dev/null").c_str()), 0);
    const std::string alsa = AudibleFrames(ReadFile(home.file("alsa.raw")));
    EXPECT_TRUE(alsa == expected) << "ALSA: " << alsa.size() << " audible bytes, " << expected.size() << " expected";

    const std::string pulse = home.file("pulse.raw");
    const std::string record = env + "parec -d card.monitor --raw --format=s16le --rate=44100 --channels=2 >'" +
                               pulse + "' & rec=$!; for i in $(seq 50); do " + env +
                               "pactl list short source-outputs | grep -q . && break; sleep 0.1; done; " + env + vantor + " " + row +
                               " --device pulseaudio >/dev/null; st=$?; sleep 0.5; kill $rec; wait $rec; exit $st";
    ASSERT_EQ(system(record.c_str()), 0);
    const std::string pulsed = AudibleFrames(ReadFile(pulse));
    EXPECT_TRUE(pulsed == expected) << "PulseAudio: " << pulsed.size() << " audible bytes, " << expected.size() << " expected";
  }
}

}  // namespace
