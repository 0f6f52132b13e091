// The find bar of the sound lists: keys, the current and selected row, focus, wrapping, and that
// it neither plays nor changes the model.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/FindBar.h"
#include "app/MetaSoundDlg.h"
#include "app/MetaSoundPages.h"
#include "tests/app/GuiTestSupport.h"
#include "views/SoundListFind.h"

namespace {

// Types text into a widget key by key, as a keyboard with those keys would (not only ASCII).
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

// The main list page of the sample set, shown and active, with autoplay on and a recording
// audio controller.
class FindBar : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bAutoplay = 1;
    m_page.Create(m_app.m_pCatalogue);
    m_page.resize(900, 400);
    m_page.show();
    m_page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_page));
    list().setFocus();
  }
  CSoundListCtrl& list() { return *m_page.m_list; }
  const CSoundListModel& model() { return *list().GetModel(); }
  // The display rows the shared matcher finds.
  std::vector<int64_t> Matching(const char* text) {
    std::vector<int64_t> rows;
    for (uint32_t r = 0; r < model().nCount; ++r)
      if (RowMatches(model(), r, CFindQuery(text))) rows.push_back(r);
    return rows;
  }
  int64_t Current() { return list().currentIndex().isValid() ? list().currentIndex().row() : -1; }
  // The bar after Ctrl+F in the list.
  CFindBar* Open() {
    QTest::keyClick(&list(), Qt::Key_F, Qt::ControlModifier);
    return m_page.GetFindBar();
  }

  LoadedApp m_app;
  TempCwdAndAudio m_scope;
  CSoundListPage m_page;
};

}  // namespace

TEST_F(FindBar, KeysStepThroughMatchesAndWrapWithANote) {
  const std::vector<int64_t> guard = Matching("guard");
  ASSERT_GE(guard.size(), 4u);
  const std::vector<SoundListItem*> order(model().ppOrder, model().ppOrder + model().nCount);
  const uint16_t show = model().wShowFlags, missions = model().wMissionFlags;

  CFindBar* bar = Open();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), bar->m_edit);
  // The list gives the bar its height.
  EXPECT_EQ(list().height() + bar->height(), m_page.height());
  EXPECT_EQ(bar->geometry().top(), list().geometry().bottom() + 1);

  // Typing finds the first match from the current row on; the match is the only selection.
  Type(bar->m_edit, "GUArd");
  EXPECT_EQ(Current(), guard[0]);
  EXPECT_EQ(list().GetSelectedRows(), std::vector<int64_t>{guard[0]});
  EXPECT_EQ(bar->m_count->text().toStdString(), "1 of " + std::to_string(guard.size()));

  struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    size_t match;
    const char* note;
  } steps[] = {{Qt::Key_Return, {}, 1, ""},
               {Qt::Key_F3, {}, 2, ""},
               {Qt::Key_Enter, Qt::ShiftModifier, 1, ""},
               {Qt::Key_F3, Qt::ShiftModifier, 0, ""},
               {Qt::Key_Return, Qt::ShiftModifier, guard.size() - 1, "Continued from the bottom"},
               {Qt::Key_F3, {}, 0, "Continued from the top"}};
  for (const auto& s : steps) {
    QTest::keyClick(bar->m_edit, s.key, s.modifiers);
    EXPECT_EQ(Current(), guard[s.match]) << s.match;
    EXPECT_EQ(list().GetSelectedRows(), std::vector<int64_t>{guard[s.match]});
    EXPECT_EQ(bar->m_note->text().toStdString(), s.note) << s.match;
    EXPECT_EQ(bar->m_count->text().toStdString(),
              std::to_string(s.match + 1) + " of " + std::to_string(guard.size()));
  }
  QTest::mouseClick(bar->m_next, Qt::LeftButton);
  EXPECT_EQ(Current(), guard[1]);
  QTest::mouseClick(bar->m_previous, Qt::LeftButton);
  EXPECT_EQ(Current(), guard[0]);

  // F3 in the list goes on too; the focus stays in the list.
  list().setFocus();
  QTest::keyClick(&list(), Qt::Key_F3);
  EXPECT_EQ(Current(), guard[1]);
  EXPECT_EQ(QApplication::focusWidget(), &list());

  // Escape closes the bar and gives the list its focus and its height back.
  QTest::keyClick(&list(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), bar->m_edit);
  EXPECT_TRUE(bar->m_edit->hasSelectedText());  // the text is kept, ready to be replaced
  QTest::keyClick(bar->m_edit, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), &list());
  EXPECT_EQ(list().height(), m_page.height());
  EXPECT_EQ(Current(), guard[1]);  // the found row stays
  QTest::keyClick(&list(), Qt::Key_F3);  // the bar shows again and goes on with its text
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(Current(), guard[2]);
  EXPECT_EQ(QApplication::focusWidget(), &list());

  // Nothing played, although autoplay is on; the model's rows, filter and sort are as they were.
  EXPECT_TRUE(m_scope.audio.calls.empty());
  EXPECT_EQ(std::vector<SoundListItem*>(model().ppOrder, model().ppOrder + model().nCount), order);
  EXPECT_EQ(model().wShowFlags, show);
  EXPECT_EQ(model().wMissionFlags, missions);
  EXPECT_EQ(model().nSortKind, COL_NUMBER);
  EXPECT_EQ(list().GetSortState().nSortColumn, -1);
}

TEST_F(FindBar, FindsHiddenColumnsKeepsTheRowWithoutMatchAndFollowsRebuilds) {
  CFindBar* bar = Open();
  ASSERT_NE(bar, nullptr);
  // The Spanish subtitle has no column in the main list.
  Type(bar->m_edit, "es a st\xC3\x93RM");
  ASSERT_GE(Current(), 0);
  EXPECT_EQ(model().ItemAt(Current())->pFile->m_name.GetText(), "wind_storm");
  const int64_t found = Current();

  bar->m_edit->setText(QStringLiteral("no such sound"));
  EXPECT_EQ(bar->m_count->text().toStdString(), "No matches");
  EXPECT_EQ(Current(), found);
  QTest::keyClick(bar->m_edit, Qt::Key_Return);
  EXPECT_EQ(Current(), found);

  // Typing stays on the current row while it still matches, else goes on to the next match.
  bar->m_edit->setText(QStringLiteral("caf"));
  const int64_t first = Current();
  QTest::keyClick(bar->m_edit, Qt::Key_F3);
  const int64_t second = Current();
  ASSERT_GT(second, first);
  Type(bar->m_edit, "\xC3\xA9");
  EXPECT_EQ(Current(), second);
  Type(bar->m_edit, " ferm");
  const std::vector<int64_t> closed = Matching("caf\xC3\xA9 ferm");
  ASSERT_FALSE(std::binary_search(closed.begin(), closed.end(), second));
  EXPECT_EQ(Current(), *std::lower_bound(closed.begin(), closed.end(), second));

  // A filter rebuilds the rows: the count follows; a sort reorders them: "next" follows the order.
  CSoundListModel& m = *list().GetModel();
  m.SetShowFlags(1, SHOW_TAGGED);
  list().Refresh();
  const std::vector<int64_t> missions = Matching("caf\xC3\xA9 ferm");
  ASSERT_GE(missions.size(), 2u);
  EXPECT_EQ(bar->m_count->text().toStdString(), std::to_string(missions.size()) + " matches");
  list().OnColumnClick(1);  // by ID
  const std::vector<int64_t> sorted = Matching("caf\xC3\xA9 ferm");
  list().setCurrentIndex(QModelIndex());
  QTest::keyClick(bar->m_edit, Qt::Key_F3);
  EXPECT_EQ(Current(), sorted[0]);
  QTest::keyClick(bar->m_edit, Qt::Key_F3);
  EXPECT_EQ(Current(), sorted[1]);
  EXPECT_TRUE(m_scope.audio.calls.empty());
}

TEST(FindBarMetaSound, WorksInTheMetaSoundListsAndEscapeLeavesTheDialogOpen) {
  LoadedApp app;
  CBrowserDlg main;
  main.resize(900, 400);
  main.show();
  const CSoundListModel& model = app.m_pCatalogue->m_listModel;
  int row = -1;  // a row whose record has two files
  for (uint32_t r = 0; r < model.nCount && row < 0; ++r)
    if (model.ItemAt(r)->pInfo->m_nFileCount == 2) row = static_cast<int>(r);
  ASSERT_GE(row, 0);
  main.ShowMetaSound(model.ItemAt(row));
  CMetaSoundDlg* dlg = main.m_pMetaSound;
  ASSERT_NE(dlg, nullptr);
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
  CSoundListCtrl* files = dlg->m_soundsPage->m_list;
  files->setFocus();
  QTest::keyClick(files, Qt::Key_F, Qt::ControlModifier);
  CFindBar* bar = dlg->m_soundsPage->GetFindBar();
  ASSERT_NE(bar, nullptr);
  // The second file's French subtitle (no column on this page).
  const CSMSoundFile* second = model.ItemAt(row)->pInfo->GetFile(1);
  const std::string french(second->m_subtitles[1].GetText());
  ASSERT_FALSE(french.empty());
  Type(bar->m_edit, QString::fromLatin1(french.c_str()).toUpper());
  EXPECT_EQ(files->currentIndex().row(), 1);
  QTest::keyClick(bar->m_edit, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), files);
}
