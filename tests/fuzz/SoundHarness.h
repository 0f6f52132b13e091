// One fuzz input run through the sound sources or the Xbox ADPCM driver, with the checks that
// turn a wrong answer into a failure. Shared by the libFuzzer targets and the regression test
// over their corpus.
//
// Sound input: byte 0 picks the kind and a further target (bit 0 Ogg Vorbis, else RIFF WAVE;
// bit 1 stereo, bit 2 8 bits, bit 3 11025 Hz rather than the sound's own rate); bytes 1-2
// (little-endian) are how many of the last bytes belong to the next sound, not to this one;
// the rest is the bytes as a metafile holds them from the sound's first byte.
//
// Driver input: the two formats of a stream, how it is opened, then a run of stream size and
// stream convert calls with sizes, flags and buffers taken from the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Registers the ACM drivers for the process; call once before the first input.
void SoundHarnessInit();

// `scratch`: a directory the export writer may write into. False, with the reason in *pWhy,
// when a check failed.
bool RunSoundInput(const uint8_t* data, size_t size, const std::string& scratch, std::string* pWhy);
bool RunAdpcmDriverInput(const uint8_t* data, size_t size, std::string* pWhy);
