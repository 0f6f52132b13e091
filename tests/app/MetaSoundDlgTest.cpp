// The Meta Sound dialog: opened from the main list, its four pages, reuse and closing.
#include <set>

#include "app/MetaSoundDlg.h"
#include "app/MetaSoundPages.h"
#include "app/TabCtrl.h"
#include "app/UnknownDataPage.h"
#include "tests/app/GuiTestSupport.h"

namespace {

// The sounds (kind and record) a list shows.
std::multiset<std::pair<int, const void*>> Sounds(const CSoundListModel& model) {
  std::multiset<std::pair<int, const void*>> sounds;
  for (uint32_t r = 0; r < model.nCount; ++r) sounds.insert({model.ItemAt(r)->kind, model.ItemAt(r)->pRecord});
  return sounds;
}

}  // namespace

TEST(MetaSoundDlg, ShowsTheRecordOfTheDoubleClickedRow) {
  LoadedApp app;
  const CSoundCatalogue& cat = *app.m_pCatalogue;
  CBrowserDlg main;
  main.resize(900, 400);
  main.show();
  CSoundListCtrl* list = main.m_soundsPage->m_list;
  const CSoundListModel& model = cat.m_listModel;

  // A record that two tagged sounds use: both on "References", once each.
  int row = -1;
  std::multiset<std::pair<int, const void*>> users;
  for (uint32_t r = 0; r < model.nCount && row < 0; ++r) {
    const CSMSoundInfo* info = model.ItemAt(r)->pInfo;
    users.clear();
    int tagged = 0;
    for (int32_t i = 0; i < cat.m_taggedSounds.GetCount(); ++i)
      if (cat.m_soundInfos.GetTaggedSoundInfo(i) == info) users.insert({ITEM_TAGGED, &cat.m_taggedSounds[i]}), ++tagged;
    for (int32_t i = 0; i < cat.m_missionSounds.GetCount(); ++i)
      if (cat.m_soundInfos.GetMissionSoundInfo(i) == info) users.insert({ITEM_MISSION, &cat.m_missionSounds[i]});
    if (tagged >= 2 && info->m_nFileCount >= 1) row = static_cast<int>(r);
  }
  ASSERT_GE(row, 0) << "the sample set shares a record between tagged sounds";
  const SoundListItem* item = model.ItemAt(row);

  DoubleClickRow(list, row);
  CMetaSoundDlg* dlg = main.m_pMetaSound;
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->windowTitle().toStdString(), "Meta Sound");
  EXPECT_EQ(dlg->parentWidget(), &main);
  EXPECT_EQ(dlg->m_tab->GetCurSel(), 0);
  EXPECT_EQ(Sounds(dlg->m_referencesPage->m_model), users);
  EXPECT_EQ(dlg->m_soundsPage->m_model.nCount, static_cast<uint32_t>(item->pInfo->m_nFileCount));
  EXPECT_EQ(dlg->m_unknownPage->m_pData, item->pInfo->m_unknown);
  // "File References": every listed file lies where one of the record's files does.
  const CSoundListModel& refs = dlg->m_fileReferencesPage->m_model;
  ASSERT_GT(refs.nCount, 0u);
  for (uint32_t r = 0; r < refs.nCount; ++r) {
    bool shared = false;
    for (int j = 0; j < item->pInfo->m_nFileCount; ++j) shared |= item->pInfo->GetFile(j)->m_data == refs.ItemAt(r)->pFile->m_data;
    EXPECT_TRUE(shared);
  }
  // Masks and columns of the pages.
  EXPECT_EQ(dlg->m_soundsPage->m_list->m_nDisabled, static_cast<uint32_t>(LIST_NO_FILTER));
  EXPECT_EQ(dlg->m_referencesPage->m_list->m_nDisabled, static_cast<uint32_t>(LIST_NO_EXTRACT | LIST_NO_PLAY | LIST_NO_FILTER));
  EXPECT_EQ(dlg->m_fileReferencesPage->m_list->m_nDisabled, 0u);
  EXPECT_EQ(dlg->m_soundsPage->m_list->GetColumnKinds(),
            (std::vector<ColumnKind>{COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE}));
  EXPECT_EQ(dlg->m_referencesPage->m_list->GetColumnKinds(), (std::vector<ColumnKind>{COL_NUMBER, COL_ID}));

  // A second double-click keeps the dialog and its tab, and replaces every page.
  dlg->m_tab->SetCurSel(1);
  int other = 0;  // a row of another record
  while (model.ItemAt(other)->pInfo == item->pInfo) ++other;
  DoubleClickRow(list, other);
  EXPECT_EQ(main.m_pMetaSound, dlg);
  EXPECT_EQ(dlg->m_tab->GetCurSel(), 1);
  EXPECT_TRUE(dlg->m_referencesPage->isVisible());
  EXPECT_EQ(dlg->m_unknownPage->m_pData, model.ItemAt(other)->pInfo->m_unknown);

  // Below the last row: no record; "References" and "File References" list every sound.
  DoubleClickRow(list, -1);
  EXPECT_EQ(main.m_pMetaSound, dlg);
  EXPECT_EQ(dlg->m_soundsPage->m_model.nCount, 0u);
  EXPECT_EQ(dlg->m_unknownPage->m_pData, nullptr);
  EXPECT_EQ(dlg->m_referencesPage->m_model.nCount, model.nCount);
  EXPECT_EQ(dlg->m_fileReferencesPage->m_model.nCount, model.nCount);

  // Closing through the owner; the next double-click makes a new one on tab 0.
  dlg->close();
  EXPECT_EQ(main.m_pMetaSound, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  DoubleClickRow(list, row);
  ASSERT_NE(main.m_pMetaSound, nullptr);
  EXPECT_EQ(main.m_pMetaSound->m_tab->GetCurSel(), 0);
  main.close();  // the main window destroys it first
  EXPECT_EQ(main.m_pMetaSound, nullptr);
}

TEST(MetaSoundDlg, PagesRouteTheirCommands) {
  LoadedApp app;
  CBrowserDlg main;
  main.ShowMetaSound(app.m_pCatalogue->m_listModel.ItemAt(0));
  CMetaSoundDlg* dlg = main.m_pMetaSound;
  TempCwdAndAudio scope;
  dlg->m_referencesPage->OnCommand(ID_STOP);  // "References" routes Autoplay only
  EXPECT_TRUE(scope.audio.calls.empty());
  dlg->m_referencesPage->OnCommand(ID_AUTOPLAY);
  EXPECT_EQ(g_bAutoplay, 1);
  dlg->m_soundsPage->OnCommand(ID_STOP);
  dlg->m_fileReferencesPage->OnCommand(ID_STOP);
  EXPECT_EQ(scope.audio.calls, (std::vector<std::string>{"stop", "stop"}));
}
