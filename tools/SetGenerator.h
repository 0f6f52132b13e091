// Synthetic metafile sets for tests and benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <random>

#include "tools/MetafileSetWriter.h"

// Gives one sound file of a benchmark set its data address, sizes and subtitles; the record
// and file indexes say which.
using BenchFileFiller = std::function<void(MetafileSetWriter::SoundFile& file, int record, int index)>;

// The shape of the benchmark sets: 255 tags, two thirds with sub-tags; about 1.5 n records of 1
// to 3 named sound files, mostly in the hard-drive file; n tagged and n mission sounds sharing them.
void MakeBenchShape(MetafileSetWriter& writer, int n, std::mt19937& rng, const BenchFileFiller& fillFile);

// A large set: n tagged and n mission sounds, 255 tags, about 1.5 n shared records of 1 to 3
// files with realistic names and Windows-1252 subtitles, data spread over the medium files.
void MakeBenchSet(MetafileSetWriter& writer, int n, uint32_t seed = 1);

// A small set with every kind of row the filters distinguish: tagged sounds with and without
// sub-tags, mission sounds m01..m06 and others, male and female, Ogg, WAV, missing files and
// files named "none", a shared record and shared data. No real audio.
void MakeSampleSet(MetafileSetWriter& writer);
