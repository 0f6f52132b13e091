// The inputs kept from the sound fuzz targets (corpus/sound, corpus/adpcm), each run as the
// target runs it: what once crashed or broke a check must pass.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/AcmDriverRegistration.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/fuzz/SoundHarness.h"

namespace {

std::vector<std::filesystem::path> Inputs(const char* kind) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(VANTOR_FUZZ_CORPUS) / kind))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

using FuzzRegression = AcmTest;

TEST_F(FuzzRegression, SoundInputs) {
  TempDir scratch;
  const auto files = Inputs("sound");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const Bytes b = ReadFileBytes(file.string());
    std::string why;
    EXPECT_TRUE(RunSoundInput(b.data(), b.size(), scratch.path(), &why)) << file.filename() << ": " << why;
  }
}

TEST_F(FuzzRegression, AdpcmDriverInputs) {
  const auto files = Inputs("adpcm");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const Bytes b = ReadFileBytes(file.string());
    std::string why;
    EXPECT_TRUE(RunAdpcmDriverInput(b.data(), b.size(), &why)) << file.filename() << ": " << why;
  }
}

}  // namespace
