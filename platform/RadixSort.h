// A stable least-significant-byte-first radix sort by an unsigned 32-bit key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Sorts `items` ascending by key(item); items with equal keys keep their order.
template <class T, class Key>
void RadixSortByKey32(std::vector<T>& items, Key key) {
  std::vector<T> scratch(items.size());
  for (int shift = 0; shift < 32; shift += 8) {
    size_t start[257] = {};
    for (const T& item : items) ++start[((key(item) >> shift) & 0xFF) + 1];
    if (start[1] == items.size() && shift > 0) continue;  // this byte is 0 everywhere
    for (int b = 0; b < 256; ++b) start[b + 1] += start[b];
    for (const T& item : items) scratch[start[(key(item) >> shift) & 0xFF]++] = item;
    items.swap(scratch);
  }
}
