// Ogg Vorbis sources over files that FFmpeg wrote, against FFmpeg's own decoding.
// Needs the ffmpeg program; runs in the plain build, not under the sanitizers.
#include <cstdlib>
#include <string>

#include "audio/OggFileSource.h"
#include "tests/audio/AudioTestSupport.h"

namespace {

using OggPeer = AcmTest;

TEST_F(OggPeer, OneStreamOfOneOrTwoChannelsDecodesAsFfmpegDecodesIt) {
  TempDir dir;
  for (auto [name, hz, channels] : {std::tuple{"a.ogg", "523", "2"}, {"b.ogg", "330", "1"}, {"c.ogg", "440", "3"}}) {
    const std::string file = dir.file(name);
    const std::string cmd = std::string("ffmpeg -loglevel error -f lavfi -i sine=frequency=") + hz +
                            ":sample_rate=44100:duration=1.3 -ac " + channels + " -c:a libvorbis -y " + file +
                            " && ffmpeg -loglevel error -i " + file + " -f s16le -y " + file + ".raw";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  dir.Write("ab.ogg", ReadFileBytes(dir.file("a.ogg")) + ReadFileBytes(dir.file("b.ogg")));
  for (const char* name : {"a.ogg", "b.ogg", "c.ogg", "ab.ogg"}) {
    SCOPED_TRACE(name);
    if (name[1] != '.' || name[0] == 'c') {  // not one stream of one or two channels
      EXPECT_FALSE(COggFileSource().OpenFile(dir.file(name).c_str()));
      continue;
    }
    const Samples ours = AsSamples(DecodeFile<COggFileSource>(dir.file(name), Pcm(2, 44100)));
    const Samples theirs = AsSamples(ReadFileBytes(dir.file(name) + ".raw"));
    const size_t k = name[0] == 'b' ? 2 : 1;  // mono comes out on both channels
    ASSERT_EQ(ours.size(), theirs.size() * k);
    int worst = 0;
    for (size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - theirs[i / k]));
    EXPECT_LE(worst, 2);  // two independent decoders, rounding apart
  }
}

}  // namespace
