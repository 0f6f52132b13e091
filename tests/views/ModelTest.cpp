#include "tests/views/SampleCatalogue.h"

namespace {

using ModelTest = SampleCatalogueTest;

TEST_F(ModelTest, GathersTaggedThenMissionRows) {
  model().Rebuild();
  ASSERT_EQ(model().nCount, 18u);
  EXPECT_EQ(model().ItemAt(0)->kind, ITEM_TAGGED);
  EXPECT_EQ(model().ItemAt(7)->kind, ITEM_TAGGED);
  EXPECT_EQ(model().ItemAt(8)->kind, ITEM_MISSION);
  EXPECT_EQ(model().ItemAt(18), nullptr);
  EXPECT_EQ(model().ItemAt(-1), nullptr);
  EXPECT_EQ(model().ItemAt(0)->pRecord, &catalogue.m_taggedSounds[0]);
  EXPECT_EQ(model().ItemAt(0)->pFile, model().ItemAt(0)->pInfo->GetFile(0));
}

TEST_F(ModelTest, ShowSwitches) {
  struct Case {
    uint16_t cleared;
    uint32_t rows;
  } cases[] = {{SHOW_TAGGED, 10}, {SHOW_MISSION, 8}, {SHOW_MISSING, 13}, {SHOW_OGG, 13}, {SHOW_WAV, 10},
               {SHOW_TAGGED | SHOW_MISSION, 0}};
  for (const Case& c : cases) {
    model().ResetFilter();
    model().SetShowFlags(1, c.cleared);
    model().Rebuild();
    EXPECT_EQ(model().nCount, c.rows) << std::hex << c.cleared;
    for (uint32_t r = 0; r < model().nCount; ++r) {
      const SoundListItem* item = model().ItemAt(r);
      if (c.cleared & SHOW_TAGGED) {
        EXPECT_NE(item->kind, ITEM_TAGGED);
      }
      if (c.cleared & SHOW_MISSING) {
        EXPECT_FALSE(item->pFile->IsMissing());
      }
    }
  }
  model().SetShowFlags(0, 0xFFFF);
  model().SetShowFlags(7, 0xFFFF);  // other modes do nothing
  EXPECT_EQ(model().wShowFlags, 0xFFFF);
}

TEST_F(ModelTest, TagFilterValidatesAndMatches) {
  struct Case {
    SoundTagPair pair;
    uint8_t tag;
    int32_t subtag;
    uint32_t rows;
  } cases[] = {
      // The tag filter leaves the 10 mission rows alone.
      {{0, -1}, 0, -1, 14}, {{0, 1}, 0, 1, 12},   {{2, 2}, 2, 2, 12},        {{9, 3}, 0xFF, -1, 18},
      {{1, 5}, 1, -1, 14},  {{2, 258}, 2, -1, 12}, {{0xFF, -1}, 0xFF, -1, 18},
  };
  for (const Case& c : cases) {
    model().SetTagFilter(0, c.pair);
    EXPECT_EQ(model().nTagFilter, c.tag);
    EXPECT_EQ(model().nSubtagFilter, c.subtag);
    model().Rebuild();
    EXPECT_EQ(model().nCount, c.rows) << int(c.pair.tag) << "," << c.pair.subtag;
  }
  model().SetTagFilter(0, {0, 0});
  model().SetTagFilter(1, {0, 0});
  EXPECT_EQ(model().nTagFilter, 0xFF);
  EXPECT_EQ(model().nSubtagFilter, -1);
}

TEST_F(ModelTest, MissionFilterNeedsSexAndMissionBits) {
  model().SetMissionFlags(1, SMF_SEX_MALE);
  model().Rebuild();
  EXPECT_EQ(model().nCount, 18u - 4);  // m01_..._male and M02_..._male, two files each
  model().SetMissionFlags(0, 0xFFFF);
  model().SetMissionFlags(1, SMF_SEX_MASK);
  model().Rebuild();
  EXPECT_EQ(model().nCount, 8u);  // tagged rows only
  model().SetMissionFlags(0, 0xFFFF);
  model().SetMissionFlags(1, SMF_MISSION_MASK & ~SMF_MISSION_OTHER);
  model().Rebuild();
  EXPECT_EQ(Column(model(), COL_ID).back(), "amb_forest");
  EXPECT_EQ(model().nCount, 8u + 2 + 2 + 2);  // m07_crowd, M02_guard_male, amb_forest
}

TEST_F(ModelTest, ReferencesBySameRecordAndBySharedData) {
  model().Rebuild();
  const CSMSoundInfo* wind = model().ItemAt(0)->pInfo;
  CSoundListModel refs;
  ASSERT_TRUE(refs.AttachLike(model()));
  refs.pReference = wind;
  refs.Rebuild();
  EXPECT_EQ(Column(refs, COL_ID), (std::vector<std::string>{"+Ambient.Calm", "+Ambient.Storm _Weapons", "m07_crowd"}));
  refs.bMatchByFile = 1;
  refs.Rebuild();
  EXPECT_EQ(refs.nCount, 11u);  // the two files' data is shared with guard_halt and merchant_f
  for (uint32_t r = 0; r < refs.nCount; ++r) EXPECT_FALSE(refs.ItemAt(r)->pFile->IsMissing());

  CSoundListModel files, unattached;
  EXPECT_FALSE(files.AttachLike(unattached));
  files.AttachLike(model());
  files.LoadFileList(*model().ItemAt(0));
  EXPECT_EQ(Column(files, COL_FILENAME), (std::vector<std::string>{"wind_calm.wav", "wind_storm.ogg"}));
  files.SetShowFlags(1, 0xFFFF);
  files.Rebuild();  // fixed: the filter no longer applies
  EXPECT_EQ(files.nCount, 2u);
  EXPECT_EQ(files.ItemAt(1)->kind, ITEM_FILE);
  EXPECT_EQ(files.ItemAt(1)->pRecord, nullptr);

  unattached.Rebuild();
  EXPECT_EQ(unattached.nCount, 0u);
  EXPECT_EQ(unattached.ItemAt(0), nullptr);
}

}  // namespace
