// vantor-mkset: writes metafile sets.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "platform/Console.h"
#include "tools/AudioSets.h"
#include "tools/SetGenerator.h"

int main(int argc, char** argv) {
  PrepareConsole();
  CLI::App app{"Writes Quarnhold schema metafile sets: test fixtures, benchmark sets and a demo set.", "vantor-mkset"};
  app.set_version_flag("--version", "vantor-mkset " QUARN_VANTOR_VERSION " BETA");
  int bench = 0;
  bool sample = false, demo = false, audio = false;
  uint32_t seed = 1;
  std::string out;
  auto* benchOpt = app.add_option("--bench", bench, "write a large synthetic set with N tagged and N mission sounds")
                       ->check(CLI::Range(1, 65535));
  auto* audioOpt = app.add_flag("--audio", audio, "with --bench: store real audio (PCM, Xbox ADPCM, Ogg Vorbis)");
  audioOpt->needs(benchOpt);
  auto* sampleOpt = app.add_flag("--sample", sample, "write a small set with every kind of row (no real audio)");
  auto* demoOpt = app.add_flag("--demo", demo, "write a small, lifelike set with real sounds and spoken lines");
  benchOpt->excludes(sampleOpt)->excludes(demoOpt);
  sampleOpt->excludes(demoOpt);
  app.add_option("--seed", seed, "seed of the synthetic set");
  app.add_option("OUT", out, "directory to write the six metafiles into")->required();
  CLI11_PARSE(app, argc, argv);

  MetafileSetWriter writer;
  if (bench > 0 && audio) {
    MakeAudioBenchSet(writer, bench, seed);
  } else if (bench > 0) {
    MakeBenchSet(writer, bench, seed);
  } else if (sample) {
    MakeSampleSet(writer);
  } else if (demo) {
    MakeDemoSet(writer);
  } else {
    fprintf(stderr, "vantor-mkset: say which set to write (--bench N [--audio], --sample or --demo)\n");
    return 2;
  }
  std::string error;
  if (!writer.Write(out, &error)) {
    fprintf(stderr, "vantor-mkset: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
