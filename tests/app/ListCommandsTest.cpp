// The context menu, play on click, the page routing and Extract.
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "app/ListPage.h"
#include "platform/MessageBox.h"
#include "tests/app/GuiTestSupport.h"

namespace {

// A list page on the loaded sample set, with the recording controller installed and the
// current directory changed to a temporary one for the files the commands write.
class ListCommands : public ::testing::Test {
 protected:
  // Enabled state and check of the menu's six commands, in menu order.
  static std::string MenuState(const CSoundListCtrl& list) {
    std::unique_ptr<QMenu> menu(list.CreateContextMenu(nullptr));
    std::string state;
    for (QAction* a : menu->actions()) state += a->isSeparator() ? '|' : !a->isEnabled() ? 'g' : a->isChecked() ? 'C' : 'E';
    return state;
  }
  // The rows of present WAVE files, or of missing files.
  std::vector<int> Rows(bool missing) {
    std::vector<int> rows;
    const CSoundListModel& model = *list.GetModel();
    for (uint32_t r = 0; r < model.nCount; ++r) {
      const CSMSoundFile* f = model.ItemAt(r)->pFile;
      const bool present = f->m_data.m_nValue != 0xFFFFFFFF;
      if (missing ? !present : present && f->m_nWavSize && !f->m_nOggSize) rows.push_back(static_cast<int>(r));
    }
    return rows;
  }

  LoadedApp m_app;
  TempCwdAndAudio m_scope;
  RecordingAudio& m_audio = m_scope.audio;
  CSoundListPage page;
  CSoundListCtrl& list = (page.Create(m_app.m_pCatalogue), *page.m_list);
};

}  // namespace

TEST_F(ListCommands, MenuStatesFollowTheMaskAndAutoplayIsShared) {
  CSoundListPage other;
  other.Create(m_app.m_pCatalogue);
  // Play Stop Autoplay | Extract ExtractRaw | Filter
  EXPECT_EQ(MenuState(list), "EEE|EE|E");
  list.m_nDisabled = LIST_NO_FILTER;
  EXPECT_EQ(MenuState(list), "EEE|EE|g");
  list.m_nDisabled = LIST_NO_EXTRACT | LIST_NO_PLAY | LIST_NO_FILTER;
  EXPECT_EQ(MenuState(list), "gEE|gg|g");
  std::unique_ptr<QMenu> menu(list.CreateContextMenu(nullptr));
  std::vector<std::pair<std::string, int>> commands;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) commands.emplace_back(a->text().toStdString(), a->data().toInt());
  EXPECT_EQ(commands, (std::vector<std::pair<std::string, int>>{{"&Play", ID_PLAY}, {"&Stop", ID_STOP}, {"&Autoplay", ID_AUTOPLAY},
                       {"&Extract", ID_EXTRACT}, {"E&xtract Raw", ID_EXTRACT_RAW}, {"&Filter", ID_FILTER}}));

  page.OnCommand(ID_AUTOPLAY);  // on in one list: checked in every list's next menu
  EXPECT_EQ(MenuState(*other.m_list), "EEC|EE|E");
  other.OnCommand(ID_AUTOPLAY);
  EXPECT_EQ(g_bAutoplay, 0);
}

TEST_F(ListCommands, ClickPlaysOnlyWithAutoplayAndNeverOnANoPlayList) {
  page.resize(800, 600);
  page.show();
  ASSERT_FALSE(Rows(false).empty());
  const int row = Rows(false)[0];
  auto click = [&](int r) {
    const QRect rect = list.visualRect(list.model()->index(r, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
  };
  click(row);
  EXPECT_TRUE(m_audio.calls.empty());  // autoplay off
  g_bAutoplay = 1;
  click(row);
  // PlayItem stops, then plays the copied file.
  EXPECT_EQ(m_audio.calls, (std::vector<std::string>{"stop", "play Vantor.tmp wave"}));
  EXPECT_EQ(std::filesystem::file_size("Vantor.tmp"), list.GetModel()->ItemAt(row)->pFile->m_nWavSize);
  m_audio.calls.clear();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 2));  // empty space
  QTest::keyClick(&list, Qt::Key_Down);  // keyboard selection
  EXPECT_TRUE(m_audio.calls.empty());
  list.m_nDisabled = LIST_NO_PLAY;
  click(row);
  EXPECT_TRUE(m_audio.calls.empty());

  // Play acts on the row of the right click, not the selection; Stop reaches the controller.
  list.m_nDisabled = 0;
  list.selectRow(0);
  list.m_pContextItem = nullptr;
  page.OnCommand(ID_PLAY);
  EXPECT_TRUE(m_audio.calls.empty());
  list.m_pContextItem = list.GetModel()->ItemAt(row);
  page.OnCommand(ID_PLAY);
  page.OnCommand(ID_STOP);
  EXPECT_EQ(m_audio.calls, (std::vector<std::string>{"stop", "play Vantor.tmp wave", "stop"}));
}

TEST_F(ListCommands, ExtractCountsWhatWasWritten) {
  const CSoundListModel& model = *list.GetModel();
  // Two present WAVE files and one missing file.
  std::vector<int> rows = Rows(false), missing = Rows(true);
  ASSERT_GE(rows.size(), 2u);
  ASSERT_FALSE(missing.empty());
  rows.resize(2);
  list.clearSelection();
  for (int r : {rows[0], rows[1], missing[0]})
    list.selectionModel()->select(list.model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

  MessageBoxRecorder boxes;
  page.OnCommand(ID_EXTRACT_RAW);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Extracted 2 of 3 files.");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_ICONINFORMATION));
  EXPECT_EQ(boxes.boxes()[0].details, "row " + std::to_string(missing[0] + 1) + ": " +
                                          std::string(model.ItemAt(missing[0])->pFile->m_name.GetText()) +
                                          ".wav: no stored bytes\n");
  for (int r : rows) {
    const std::string name = std::string(model.ItemAt(r)->pFile->m_name.GetText()) + ".wav";
    EXPECT_EQ(std::filesystem::file_size(name), model.ItemAt(r)->pFile->m_nWavSize) << name;
  }

  // Nothing selected, or a list without extraction: no window, no box.
  list.clearSelection();
  page.OnCommand(ID_EXTRACT);
  list.selectRow(rows[0]);
  list.m_nDisabled = LIST_NO_EXTRACT;
  page.OnCommand(ID_EXTRACT);
  EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(ListCommands, MenuKeyAndShiftF10OpenTheMenuOnTheCurrentRow) {
  page.resize(800, 600);
  page.show();
  // The Menu key reaches the list as a keyboard context menu event; Shift+F10 as a key.
  for (bool menuKey : {true, false}) {
    list.setCurrentIndex(list.model()->index(4, 0));
    list.m_pContextItem = nullptr;
    bool opened = false;
    auto* timer = new QTimer(&page);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        opened = true;
        timer->stop();
        popup->close();
      }
    });
    timer->start(10);
    if (menuKey) {
      QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), list.mapToGlobal(QPoint(1, 1)));
      QApplication::sendEvent(list.viewport(), &event);
    } else {
      QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier);
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(list.m_pContextItem, list.GetModel()->ItemAt(4));
    delete timer;
  }
}
