// The main window: tabs and pages, the sound list's cells and header clicks, the tag tree and
// the About box.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TabCtrl.h"
#include "app/TagTreePage.h"
#include "platform/TextCodec.h"
#include "tests/app/GuiTestSupport.h"
#include "tools/SetGenerator.h"

namespace {

// Writes "NAME hide" and "NAME show" as the pages get those events.
class VisibilityLog : public QObject {
 public:
  std::vector<std::string> events;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide || event->type() == QEvent::Show)
      events.push_back(watched->objectName().toStdString() + (event->type() == QEvent::Hide ? " hide" : " show"));
    return false;
  }
};

std::string Cell(CSoundListCtrl* list, int row, int column) {
  return list->model()->index(row, column).data().toString().toStdString();
}

void ClickHeader(CSoundListCtrl* list, int column) {
  QHeaderView* header = list->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
}

// Which sections show an arrow, and which image: -1 none, 0 down, 1 up.
std::vector<int> Arrows(CSoundListCtrl* list) {
  std::vector<int> arrows;
  for (int c = 0; c < list->model()->columnCount(); ++c) {
    const QVariant v = list->model()->headerData(c, Qt::Horizontal, Qt::DecorationRole);
    const QImage shown = v.value<QPixmap>().toImage();
    arrows.push_back(v.isNull() ? -1 : shown == list->GetArrow(0).toImage() ? 0 : shown == list->GetArrow(1).toImage() ? 1 : 9);
  }
  return arrows;
}

}  // namespace

TEST(BrowserDlg, TabsHideThenShowAndPagesFollowResizes) {
  LoadedApp app;
  CBrowserDlg dlg;
  dlg.show();
  EXPECT_EQ(dlg.windowTitle().toStdString(), "Quarn Vantor");
  EXPECT_EQ(dlg.m_tab->GetItemCount(), 2);
  EXPECT_TRUE(dlg.m_soundsPage->isVisible());
  EXPECT_FALSE(dlg.m_tagsPage->isVisible());

  CSoundListCtrl* list = dlg.m_soundsPage->m_list;
  list->selectRow(3);
  VisibilityLog log;
  dlg.m_soundsPage->setObjectName("sounds page");
  dlg.m_tagsPage->setObjectName("tags page");
  dlg.m_soundsPage->installEventFilter(&log);
  dlg.m_tagsPage->installEventFilter(&log);
  dlg.m_tab->SetCurSel(1);
  dlg.m_tab->SetCurSel(0);
  EXPECT_EQ(log.events, (std::vector<std::string>{"sounds page hide", "tags page show", "tags page hide", "sounds page show"}));
  EXPECT_EQ(list->GetSelectedRows(), std::vector<int64_t>{3});  // the hidden page kept its state

  for (QSize size : {QSize(900, 700), QSize(420, 300)}) {  // the tab fills the window below its top
    dlg.resize(size);
    const QRect tab = dlg.m_tab->geometry();
    EXPECT_EQ(tab, QRect(0, tab.top(), size.width(), size.height() - tab.top()));
    const int item = dlg.m_tab->GetItemRect(0).height();
    EXPECT_EQ(dlg.m_soundsPage->geometry(), QRect(4, item + 8, tab.width() - 8, tab.height() - item - 12));
    EXPECT_EQ(dlg.m_tagsPage->geometry(), dlg.m_soundsPage->geometry());  // the hidden one too
    EXPECT_EQ(list->geometry(), dlg.m_soundsPage->rect());
  }
}

TEST(BrowserDlg, EveryCellIsTheSharedCellText) {
  LoadedApp app([](MetafileSetWriter& w) { MakeBenchSet(w, 60, 3); });
  CBrowserDlg dlg;
  CSoundListCtrl* list = dlg.m_soundsPage->m_list;
  const CSoundListModel& model = app.m_pCatalogue->m_listModel;
  ASSERT_GT(model.nCount, 200u);
  ASSERT_EQ(list->model()->rowCount(), static_cast<int>(model.nCount));
  const auto& kinds = list->GetColumnKinds();
  ASSERT_EQ(kinds, (std::vector<ColumnKind>{COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE}));
  std::vector<std::string> headings;  // the widths are DesktopHabits.LayoutSurvivesARestartUntilReset's
  for (int c = 0; c < 6; ++c) headings.push_back(list->model()->headerData(c, Qt::Horizontal).toString().toStdString());
  EXPECT_EQ(headings, (std::vector<std::string>{"#", "ID", "Filename", "File & Offset", "Size", "Subtitle"}));
  bool nonAscii = false;
  for (uint32_t r = 0; r < model.nCount; ++r)
    for (int c = 0; c < 6; ++c) {
      char text[kCellTextSize];
      GetCellText(&model, r, kinds.data(), 6, c, text, sizeof text);
      const std::string cell = Cell(list, r, c);
      ASSERT_EQ(cell, Cp1252ToUtf8(text)) << "row " << r << " column " << c;
      nonAscii |= cell.find('\xC3') != std::string::npos;
    }
  EXPECT_TRUE(nonAscii);  // the subtitles' accented letters came through as Unicode
}

// The cycle itself (natural order, "#") is the views' SortTest.HeaderClickCycle: here the clicks
// reach it and the arrows follow.
TEST(BrowserDlg, HeaderClicksCycleWithArrowsBeforeTheHeading) {
  LoadedApp app;
  CBrowserDlg dlg;
  dlg.show();
  CSoundListCtrl* list = dlg.m_soundsPage->m_list;
  const int rows = list->model()->rowCount();
  auto sizes = [&] {
    std::vector<long> v;
    for (int r = 0; r < rows; ++r) v.push_back(std::stol(Cell(list, r, 4)));
    return v;
  };
  const std::vector<long> natural = sizes();

  ClickHeader(list, 4);  // "Size": ascending, up arrow
  EXPECT_EQ(Arrows(list), (std::vector<int>{-1, -1, -1, -1, 1, -1}));
  std::vector<long> now = sizes();
  EXPECT_TRUE(std::is_sorted(now.begin(), now.end()));
  ClickHeader(list, 4);  // descending, down arrow
  EXPECT_EQ(Arrows(list), (std::vector<int>{-1, -1, -1, -1, 0, -1}));
  now = sizes();
  EXPECT_TRUE(std::is_sorted(now.rbegin(), now.rend()));
  ClickHeader(list, 2);  // another column: ascending by file name, the old arrow gone
  EXPECT_EQ(Arrows(list), (std::vector<int>{-1, -1, 1, -1, -1, -1}));
  ClickHeader(list, 2);
  ClickHeader(list, 2);  // back to natural order, no arrow
  EXPECT_EQ(Arrows(list), std::vector<int>(6, -1));
  EXPECT_EQ(sizes(), natural);
  ClickHeader(list, 0);  // "#" reverses the natural order, no arrow
  EXPECT_EQ(Arrows(list), std::vector<int>(6, -1));
  EXPECT_EQ(std::stol(Cell(list, 0, 0)), rows);
  EXPECT_FALSE(list->horizontalHeader()->isSortIndicatorShown());
}

TEST(BrowserDlg, TagTreeShowsNamesWithoutTheirFirstCharacter) {
  LoadedApp app;
  CBrowserDlg dlg;
  QTreeWidget* tree = dlg.m_tagsPage->m_tree;
  const CSMSoundTagTable& tags = app.m_pCatalogue->m_soundTags;
  ASSERT_EQ(tree->topLevelItemCount(), tags.GetCount());
  bool sawPlus = false, sawOther = false;
  for (int i = 0; i < tags.GetCount(); ++i) {
    QTreeWidgetItem* item = tree->topLevelItem(i);
    const std::string name(tags[i].GetSubName(-1));
    (name[0] == '+' ? sawPlus : sawOther) = true;
    EXPECT_EQ(item->text(0).toStdString(), Cp1252ToUtf8(name.substr(1)));
    EXPECT_EQ(item->data(0, Qt::UserRole).toInt(), i);
    EXPECT_FALSE(item->isExpanded());
    ASSERT_EQ(item->childCount(), tags[i].m_nSubCount);
    for (int j = 0; j < item->childCount(); ++j)
      EXPECT_EQ(item->child(j)->text(0).toStdString(), Cp1252ToUtf8(tags[i].GetSubName(j)));
  }
  EXPECT_TRUE(sawPlus && sawOther);
  EXPECT_EQ(tree->selectedItems().size(), 0);
}

TEST(BrowserDlg, AboutBoxFromTheMenuAndF1) {
  LoadedApp app;
  CBrowserDlg dlg;
  dlg.show();
  QAction* about = nullptr;
  for (QAction* a : dlg.actions())
    if (a->data().toInt() == IDM_ABOUTBOX) about = a;
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->text().toStdString(), "&About Quarn Vantor...");
  EXPECT_EQ(about->shortcut(), QKeySequence(Qt::Key_F1));
  ASSERT_NE(dlg.m_menuButton, nullptr);
  EXPECT_TRUE(dlg.m_menuButton->menu()->actions().contains(about));

  std::vector<std::string> texts;
  std::string title;
  AnswerNextModal([&](QWidget* box) {
    title = box->windowTitle().toStdString();
    for (QLabel* label : box->findChildren<QLabel*>())
      if (!label->text().isEmpty()) texts.push_back(label->text().toStdString());
    box->close();
  });
  about->trigger();
  EXPECT_EQ(title, "About Vantor...");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Quarn Vantor Version 1.0 BETA");
  EXPECT_NE(texts[1].find("Quarnhold"), std::string::npos);
  EXPECT_NE(texts[2].find("the Quarn Vantor developers"), std::string::npos);
}
