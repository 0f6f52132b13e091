// Synthetic metafile sets for tests and benchmarks.
#pragma once

#include <cstdint>

#include "tools/MetafileSetWriter.h"

// A large set: n tagged and n mission sounds, 255 tags, about 1.5 n shared records of 1 to 3
// files with realistic names and Windows-1252 subtitles, data spread over the medium files.
void MakeBenchSet(MetafileSetWriter& writer, int n, uint32_t seed = 1);

// A small set with every kind of row the filters distinguish: tagged sounds with and without
// sub-tags, mission sounds m01..m06 and others, male and female, Ogg, WAV, missing files and
// files named "none", a shared record and shared data. No real audio.
void MakeSampleSet(MetafileSetWriter& writer);
