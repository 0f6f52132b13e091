// Encoded sound files for generated metafile sets: RIFF WAVE (PCM, Xbox ADPCM) and Ogg Vorbis.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/SoundSynth.h"

constexpr uint16_t kWaveFormatPcm = 0x0001;
constexpr uint16_t kWaveFormatXboxAdpcm = 0x0069;
constexpr int kXboxAdpcmBlockBytes = 36;     // per channel
constexpr int kXboxAdpcmBlockSamples = 64;   // per channel

// PCM WAVE, 8 (unsigned) or 16 (signed) bits, with a 16-byte "fmt " chunk. With a `title`,
// a "LIST" INFO chunk naming it lies between "fmt " and "data". An odd data size gets its pad byte.
std::vector<uint8_t> WriteWavePcm(const Clip& clip, int bits, const std::string& title = "");

// Xbox ADPCM WAVE encoded block by block: a 20-byte "fmt " chunk (cbSize 2, 64 samples per
// block), then "fact" (frames before padding) and "LIST" chunks, then "data". The last block
// is padded with silence to 64 frames.
std::vector<uint8_t> WriteWaveXboxAdpcm(const Clip& clip, const std::string& title = "Quarn Vantor");

// Ogg Vorbis at a VBR quality in [-0.1, 1]; one logical stream with the given serial number.
std::vector<uint8_t> WriteOggVorbis(const Clip& clip, float quality = 0.3f, int serial = 1);

// Reads a PCM WAVE file of 8 or 16 bits (any chunks around "fmt " and "data"); false when it
// cannot.
bool ReadWave(const std::string& path, Clip* clip);
bool ParseWavePcm(const std::vector<uint8_t>& bytes, Clip* clip);
