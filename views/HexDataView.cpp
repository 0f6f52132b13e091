#include "views/HexDataView.h"

#include <cstdio>
#include <cstring>

namespace HexDataView {

std::array<std::string, kLineCount> FormatLines(const uint8_t* data) {
  std::array<std::string, kLineCount> lines;
  char piece[16];
  for (int i = 0; i < kDataSize; ++i) {
    std::string& line = lines[i / kBytesPerLine];
    if (i % kBytesPerLine == 0) {
      snprintf(piece, sizeof piece, "%4.4x | ", i);
      line += piece;
    }
    snprintf(piece, sizeof piece, "%2.2x ", data[i]);
    line += piece;
  }
  return lines;
}

int32_t ReadInt32(const uint8_t* data, int at) {
  uint32_t v = static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
               static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
  return static_cast<int32_t>(v);
}

std::array<std::string, 7> FormatSelection(const uint8_t* data, int s) {
  uint8_t b = data[s];
  uint16_t w = static_cast<uint16_t>(data[s] | data[s + 1] << 8);
  uint32_t d = static_cast<uint32_t>(ReadInt32(data, s));
  float f;
  memcpy(&f, &d, sizeof f);
  char text[7][64];
  snprintf(text[0], sizeof text[0], "@ 0x%4.4x", s);
  snprintf(text[1], sizeof text[1], "BYTE  = 0x%2.2X", b);
  snprintf(text[2], sizeof text[2], "WORD  = 0x%4.4X", w);
  snprintf(text[3], sizeof text[3], "DWORD = 0x%08X", d);
  snprintf(text[4], sizeof text[4], "int16 = %ld", static_cast<long>(static_cast<int16_t>(w)));
  snprintf(text[5], sizeof text[5], "int32 = %ld", static_cast<long>(static_cast<int32_t>(d)));
  snprintf(text[6], sizeof text[6], "float = %.3f", static_cast<double>(f));
  std::array<std::string, 7> lines;
  for (int i = 0; i < 7; ++i) lines[i] = text[i];
  return lines;
}

int HitTest(int cw, int h, int x, int y) {
  int left = 7 * cw + 14, right = 54 * cw + 14, top = 22, bottom = 3 * h + 22;
  if (cw <= 0 || h <= 0 || x < left || x >= right || y < top || y >= bottom) return -1;
  int s = (x - left) / (3 * cw) + kBytesPerLine * ((y - top) / h);
  return (s < 0 || s >= kSelectableBytes) ? -1 : s;
}

}  // namespace HexDataView
