// The sample set of the set writer, loaded into a catalogue.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/SetGenerator.h"
#include "views/SoundListColumns.h"

class SampleCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MetafileSetWriter w;
    MakeSampleSet(w);
    ASSERT_TRUE(w.Write(dir.path()));
    ASSERT_TRUE(catalogue.Load(dir.dir().c_str(), nullptr, nullptr));
  }

  CSoundListModel& model() { return catalogue.m_listModel; }

  std::string Cell(const CSoundListModel& m, int64_t row, ColumnKind kind) {
    char text[kCellTextSize];
    GetCellText(&m, row, &kind, 1, 0, text, sizeof text);
    return text;
  }
  // One column of every row, in display order.
  std::vector<std::string> Column(const CSoundListModel& m, ColumnKind kind) {
    std::vector<std::string> out;
    for (uint32_t r = 0; r < m.nCount; ++r) out.push_back(Cell(m, r, kind));
    return out;
  }

  TempDir dir;
  CSoundCatalogue catalogue;
};
