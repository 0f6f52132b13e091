// The benchmarks' catalogue: a set that MakeBenchSet writes (n = VANTOR_BENCH_N, default
// 65535) into a temporary directory, loaded once per process; the directory is removed after
// the load.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/SoundCatalogue.h"
#include "tools/MetafileSetWriter.h"
#include "tools/SetGenerator.h"

inline CSoundCatalogue* LoadBenchSet(const char* program) {
  static std::unique_ptr<CSoundCatalogue> catalogue = [program] {
    const char* env = getenv("VANTOR_BENCH_N");
    int n = env ? atoi(env) : 65535;
    const char* tmp = getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantor-bench-XXXXXX";
    if (!mkdtemp(dir.data())) {
      perror("mkdtemp");
      exit(1);
    }
    dir += '/';
    MetafileSetWriter writer;
    MakeBenchSet(writer, n);
    std::string error;
    bool written = writer.Write(dir, &error);
    auto c = std::make_unique<CSoundCatalogue>();
    bool loaded = written && c->Load(dir.c_str(), nullptr, stderr);
    std::filesystem::remove_all(dir);
    if (!loaded) {
      fprintf(stderr, "%s: could not write or load the set: %s\n", program, error.c_str());
      exit(1);
    }
    return c;
  }();
  return catalogue.get();
}
