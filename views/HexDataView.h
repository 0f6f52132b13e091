// Text and geometry of the hex view of a sound information record's 45 unknown bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace HexDataView {

constexpr int kDataSize = 45;
constexpr int kSelectableBytes = 42;
constexpr int kBytesPerLine = 16;
constexpr int kLineCount = 3;

// The three lines of the dump: "%4.4x | " then "%2.2x " per byte.
std::array<std::string, kLineCount> FormatLines(const uint8_t* data);

// The signed 32-bit little-endian value starting at a byte (the marked fields start at 1 and 5).
int32_t ReadInt32(const uint8_t* data, int at);

// The seven interpretations of the bytes at a selected position 0..41.
std::array<std::string, 7> FormatSelection(const uint8_t* data, int selected);

// The byte under a client position, or -1: cw is the width of "0", h the line height.
int HitTest(int cw, int h, int x, int y);

}  // namespace HexDataView
