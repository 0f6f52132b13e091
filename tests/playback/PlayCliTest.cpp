// `vantor play` on the demo set through SDL's disk driver, through ALSA and PulseAudio
// (as on a player's machine, with a file and a null sink standing in for the sound card),
// and without a device.
#include <sys/wait.h>

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/Shell.h"

namespace {

int Sh(const std::string& cmd) {
  const int st = system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
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

class PlayCommand : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Sh(std::string(MKSET_BIN) + " --demo " + set_.path() + " >/dev/null"), 0); }

  // Plays the row from the home directory, the disk driver writing to disk.raw, standard error to err.txt.
  std::string Play(const std::string& row, const std::string& device, const std::string& env = "") {
    return "cd '" + home_.path() + "' && SDL_DISKAUDIOFILE=disk.raw SDL_DISKAUDIODELAY=2 " + env + VANTOR_BIN +
           " play " + set_.path() + " " + row + " --device " + device + " >/dev/null 2>err.txt";
  }
  std::string Err() { return Slurp(home_.file("err.txt")); }

  TempDir set_, home_;
};

TEST_F(PlayCommand, PlaysARowOfTheDemoSetAndFailsClearlyWithoutADevice) {
  ASSERT_EQ(Sh(Play("1", "disk")), 0) << Err();
  const std::string bytes = Slurp(home_.file("disk.raw"));
  EXPECT_GT(bytes.size(), 44100u);
  EXPECT_NE(bytes.find_first_not_of('\0'), std::string::npos) << "only silence was captured";
  EXPECT_FALSE(std::ifstream(home_.file("Vantor.tmp")).good()) << "the playback file belongs elsewhere";

  EXPECT_EQ(Sh(Play("1", "no-such-device")), 1);
  EXPECT_NE(Err().find("no sound device could be opened"), std::string::npos) << Err();
}

TEST_F(PlayCommand, AlsaAndPulseAudioPlayTheSameSamplesAsTheDiskDriver) {
  if (Sh("command -v pulseaudio >/dev/null && command -v parec >/dev/null") != 0)
    GTEST_SKIP() << "pulseaudio and parec are not installed";
  // ALSA's default device writes what it is given to a file; PulseAudio plays into a null sink
  // whose monitor parec records (without rewinds, which the monitor cannot take back from parec).
  std::ofstream(home_.file(".asoundrc")) << "pcm.!default { type file slave.pcm \"null\" file \""
                                         << home_.file("alsa.raw") << "\" format \"raw\" }\n";
  const std::string env = "HOME='" + home_.path() + "' XDG_RUNTIME_DIR='" + home_.path() + "' ";
  ASSERT_EQ(Sh(env + "pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=file:'" + home_.file("pulse.log") +
               "' -L module-native-protocol-unix -L 'module-null-sink sink_name=card rate=44100 channels=2 " +
               "format=s16le norewinds=1'"), 0) << Slurp(home_.file("pulse.log"));
  struct PulseStop {
    std::string env;
    ~PulseStop() { Sh(env + "pulseaudio --kill 2>/dev/null"); }
  } stop{env};
  ASSERT_EQ(Sh("for i in $(seq 50); do " + env + "pactl info >/dev/null 2>&1 && exit 0; sleep 0.1; done; exit 1"), 0);

  // Xbox ADPCM as the device plays it, 8-bit PCM and Ogg Vorbis converted from 22050 Hz mono.
  for (const std::string file : {"sword_clash_02.wav", "ui_error.wav", "m05_open_door_male.ogg"}) {
    SCOPED_TRACE(file);
    // The file's first row; without one the command fails for the missing argument.
    const std::string row = std::string("$(") + VANTOR_BIN + " list " + set_.path() + " | awk -F'\\t' '$3 == \"" +
                            file + "\" {print $1 + 0; exit}')";
    ASSERT_EQ(Sh(Play(row, "disk")), 0) << Err();
    const std::string expected = AudibleFrames(Slurp(home_.file("disk.raw")));
    ASSERT_GT(expected.size(), 4000u);

    // Away from the PulseAudio server, which would otherwise take ALSA's default device over.
    ASSERT_EQ(Sh(Play(row, "alsa", "HOME='" + home_.path() + "' XDG_RUNTIME_DIR=/nonexistent ")), 0) << Err();
    const std::string alsa = AudibleFrames(Slurp(home_.file("alsa.raw")));
    EXPECT_TRUE(alsa == expected) << "ALSA: " << alsa.size() << " audible bytes, " << expected.size() << " expected";

    const std::string pulse = home_.file("pulse.raw");
    ASSERT_EQ(Sh(env + "parec -d card.monitor --latency-msec=20 --raw --format=s16le --rate=44100 --channels=2 >'" + pulse +
                 "' & rec=$!; for i in $(seq 50); do " + env + "pactl list short source-outputs | grep -q . && " +
                 "break; sleep 0.1; done; " + Play(row, "pulseaudio", env) + "; st=$?; sleep 1; kill $rec; " +
                 "wait $rec; exit $st"), 0) << Err();
    const std::string pulsed = AudibleFrames(Slurp(pulse));
    EXPECT_TRUE(pulsed == expected) << "PulseAudio: " << pulsed.size() << " audible bytes, " << expected.size()
                                    << " expected";
  }
}

}  // namespace
