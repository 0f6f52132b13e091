// Dragging sounds out as files, the extraction folder, Open Set, the remembered layout and
// Space to play.
#include <QHeaderView>
#include <QMenu>
#include <QToolButton>
#include <QMimeData>
#include <QUrl>

#include "app/DesktopSettings.h"
#include "app/ExtractSelected.h"
#include "app/MetaSoundDlg.h"
#include "app/MetaSoundPages.h"
#include "app/SoundDragData.h"
#include "app/TabCtrl.h"
#include "app/TagTreePage.h"
#include "catalogue/MetafileLocator.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/export/ExportTestSupport.h"

namespace {

const Bytes kAdpcm = AdpcmEncode(Tone(64 * 40, 1, 22050, 330), 1);
const Bytes kOgg = Text("OggS") + Bytes(5000, 0x5A);

// Each test gets settings of its own, and the codecs as a started audio controller has them.
class DesktopHabits : public AcmTest {
 protected:
  DesktopHabits() : m_oldConfig(getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "") { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  ~DesktopHabits() override { setenv("XDG_CONFIG_HOME", m_oldConfig.c_str(), 1); }

  // A list over the model showing every row, all of them selected.
  static void ShowAllSelected(CSoundListCtrl& list, CSoundListModel& model) {
    static const ColumnKind kinds[] = {COL_NUMBER, COL_ID, COL_FILENAME};
    list.SetModel(&model);
    list.SetColumns(kinds, 3);
    list.Refresh();
    list.selectAll();
  }

  TempDir config;
  std::string m_oldConfig;
};

class FakeSetDialog : public IMetafileDialog {
 public:
  std::vector<std::string> answers;  // chosen paths, then a cancel
  int shown = 0;
  bool DoModal(std::string& path) override {
    if (shown >= static_cast<int>(answers.size())) return false;
    path = answers[shown++];
    return true;
  }
};

}  // namespace

TEST_F(DesktopHabits, DragOffersOneFilePerSoundWrittenOnlyWhenTheDataIsAsked) {
  LoadedSoundSet set({{"voice", kOgg, true}, {"adpcm", AdpcmWave(1, 22050, kAdpcm)}, {"gone", kOgg, true, 1, -1, true}});
  CSoundListCtrl list;
  ShowAllSelected(list, set.model());
  auto count = [&] { return std::distance(std::filesystem::directory_iterator(set.dir.path()), {}); };
  const auto setFiles = count();

  std::unique_ptr<QMimeData> data(list.CreateDragData());
  ASSERT_NE(data, nullptr);
  EXPECT_FALSE(std::filesystem::exists(CSoundDragData::DragFolder().toStdString()));  // nothing yet

  const QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 2);  // the row without data is left out
  std::map<std::string, Bytes> files;
  for (const QUrl& url : urls) {
    ASSERT_TRUE(url.isLocalFile());
    const std::filesystem::path path = url.toLocalFile().toStdString();
    EXPECT_EQ(path.parent_path().parent_path().string(), CSoundDragData::DragFolder().toStdString());
    files[path.filename().string()] = ReadFileBytes(path.string());
  }
  EXPECT_EQ(files["voice.ogg"], kOgg);
  EXPECT_EQ(files["adpcm.wav"], PcmWave(Pcm(1, 22050), AsBytes(AdpcmDecode(kAdpcm, 1))));
  // The file names for terminals, the same files again; nothing beside the metafiles.
  EXPECT_EQ(data->text().split(QLatin1Char('\n')).size(), 2);
  EXPECT_EQ(data->text().split(QLatin1Char('\n'))[0], urls[0].toLocalFile());
  EXPECT_EQ(count(), setFiles);

  list.clearSelection();
  EXPECT_EQ(list.CreateDragData(), nullptr);
}

TEST_F(DesktopHabits, ExtractWritesIntoTheChosenFolderOrTheCurrentDirectory) {
  LoadedSoundSet set({{"voice", kOgg, true}});
  TempCwdAndAudio scope;
  CSoundListCtrl list;
  ShowAllSelected(list, set.model());
  MessageBoxRecorder boxes;

  EXPECT_EQ(ExtractionFolder(), QDir::currentPath());  // no setting
  ExtractSelected(&list, false);
  EXPECT_EQ(ReadFileBytes(scope.cwd.file("voice.ogg")), kOgg);

  TempDir chosen;
  SetExtractionFolder(QString::fromStdString(chosen.path()));
  LoadedApp app;
  CBrowserDlg dlg;  // the menu shows it, read back from the settings
  const QList<QAction*> actions = dlg.m_menuButton->menu()->actions();
  const auto path = std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->objectName() == "extractionFolderPath"; });
  ASSERT_NE(path, actions.end());
  EXPECT_EQ((*path)->text().toStdString(), chosen.path());
  ExtractSelected(&list, true);
  EXPECT_EQ(ReadFileBytes(chosen.file("voice.ogg")), kOgg);
  EXPECT_EQ(boxes.boxes().size(), 2u);

  // A chosen folder that is gone: the current directory again.
  SetExtractionFolder(QString::fromStdString(chosen.file("gone")));
  EXPECT_EQ(ExtractionFolder(), QDir::currentPath());
}

TEST_F(DesktopHabits, OpenSetStartsAnotherProgramAndKeepsFiveRecentSets) {
  LoadedApp app;
  CBrowserDlg dlg;
  std::vector<QString> launched;
  dlg.m_launcher = [&](const QString& dir) { return launched.push_back(dir), true; };
  FakeSetDialog dialog;
  dlg.m_pSetDialog = &dialog;
  TempDir notASet;
  notASet.Write("x.csc", {1});
  dialog.answers = {notASet.file("x.csc"), app.dir.file("SchemaMetafile_DVD1.csc")};
  dlg.OpenSet();
  EXPECT_EQ(dialog.shown, 2);  // asked again after a directory without a set
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].toStdString(), app.dir.dir());
  EXPECT_EQ(RecentSets(), QStringList{QString::fromStdString(app.dir.dir())});
  // The stored metafile directory is untouched.
  HKEY key = nullptr;
  DWORD size = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quarn Vantor", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    EXPECT_NE(RegQueryValueExA(key, kMetafilePathValue, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  dlg.OpenSet();  // cancelled
  EXPECT_EQ(launched.size(), 1u);
  for (int i = 1; i <= 6; ++i) dlg.LaunchSet(QStringLiteral("/sets/%1/").arg(i));
  dlg.LaunchSet(QStringLiteral("/sets/3/"));
  EXPECT_EQ(RecentSets(), (QStringList{"/sets/3/", "/sets/6/", "/sets/5/", "/sets/4/", "/sets/2/"}));
}

TEST_F(DesktopHabits, LayoutSurvivesARestartUntilReset) {
  LoadedApp app;
  QSize defaultSize;
  {
    CBrowserDlg dlg;
    defaultSize = dlg.size();
    dlg.show();
    dlg.setGeometry(40, 50, 700, 480);
    QHeaderView* header = dlg.m_soundsPage->m_list->horizontalHeader();
    header->moveSection(0, 4);
    header->resizeSection(2, 333);
    dlg.m_tab->SetCurSel(1);
    dlg.ShowMetaSound(nullptr);
    dlg.m_pMetaSound->m_soundsPage->m_list->horizontalHeader()->resizeSection(1, 123);
    dlg.close();
  }
  CBrowserDlg dlg;
  EXPECT_EQ(dlg.geometry(), QRect(40, 50, 700, 480));
  QHeaderView* header = dlg.m_soundsPage->m_list->horizontalHeader();
  EXPECT_EQ(header->logicalIndex(4), 0);
  EXPECT_EQ(header->sectionSize(2), 333);
  EXPECT_EQ(dlg.m_tab->GetCurSel(), 1);
  EXPECT_TRUE(dlg.m_tagsPage->isVisibleTo(dlg.m_tab));
  dlg.ShowMetaSound(nullptr);
  EXPECT_EQ(dlg.m_pMetaSound->m_soundsPage->m_list->horizontalHeader()->sectionSize(1), 123);

  dlg.show();
  dlg.ResetLayout();
  EXPECT_EQ(dlg.size(), defaultSize);
  EXPECT_EQ(header->logicalIndex(4), 4);
  EXPECT_EQ(header->sectionSize(2), GetColumn(COL_FILENAME)->width);
  EXPECT_EQ(dlg.m_tab->GetCurSel(), 0);
  dlg.close();
  CBrowserDlg again;
  EXPECT_EQ(ColumnsText(again.m_soundsPage->m_list), ColumnsText(dlg.m_soundsPage->m_list));
  EXPECT_EQ(again.m_tab->GetCurSel(), 0);

  // A window last seen on a screen that is gone opens at the default size.
  WriteDesktopValue("Main Window", QStringLiteral("GONE-1|10,10,900,700"));
  CBrowserDlg elsewhere;
  EXPECT_EQ(elsewhere.size(), defaultSize);
}

TEST_F(DesktopHabits, DamagedOrForeignSettingsGiveTheDefaultsAndStayAsTheyAre) {
  LoadedApp app;
  QSize defaultSize;
  QString defaultColumns;
  {
    CBrowserDlg dlg;
    defaultSize = dlg.size();
    defaultColumns = ColumnsText(dlg.m_soundsPage->m_list);
  }
  // Foreign values in the key: ignored, and kept while nothing changes.
  WriteDesktopValue("Columns sounds", QStringLiteral("3:40,3:40,1:2,2:2,4:9,5:1"));
  WriteDesktopValue("Main Window", QStringLiteral("|1,2,three,4"));
  WriteDesktopValue("Tab", QStringLiteral("7"));
  std::filesystem::create_directories(SettingsDirectory());
  const Bytes foreign = ReadFileBytes(SettingsFilePath());
  {
    CBrowserDlg dlg;
    dlg.show();
    EXPECT_EQ(dlg.size(), defaultSize);
    EXPECT_EQ(ColumnsText(dlg.m_soundsPage->m_list), defaultColumns);
    EXPECT_EQ(dlg.m_tab->GetCurSel(), 0);
    dlg.close();
  }
  EXPECT_EQ(ReadFileBytes(SettingsFilePath()), foreign);

  // A file that is not settings at all: the defaults, and never written for a layout.
  const Bytes damaged = Text("{\"SOFTWARE\\\\Quarn Vantor\\\\Desktop\": [1, 2");
  config.Write("quarn-vantor/settings.json", damaged);
  CBrowserDlg dlg;
  dlg.show();
  EXPECT_EQ(dlg.size(), defaultSize);
  dlg.resize(800, 600);
  dlg.close();
  EXPECT_EQ(ReadFileBytes(SettingsFilePath()), damaged);
}

TEST_F(DesktopHabits, SpacePlaysAndStopsTheCurrentRowAndArrowsNeverPlay) {
  LoadedSoundSet set({{"one", AdpcmWave(1, 22050, kAdpcm)}, {"two", kOgg, true}});
  TempCwdAndAudio scope;
  CSoundListCtrl list;
  ShowAllSelected(list, set.model());
  list.resize(600, 300);
  list.show();
  list.setCurrentIndex(list.model()->index(0, 0));
  const std::string first = "play Vantor.tmp wave", second = "play Vantor.tmp ogg";  // the rows in the set's order
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(scope.audio.calls, (std::vector<std::string>{"stop", first}));
  QTest::keyClick(&list, Qt::Key_Space);  // the row plays: it stops
  EXPECT_EQ(scope.audio.calls.back(), "stop");
  EXPECT_FALSE(scope.audio.playing);
  scope.audio.calls.clear();
  QTest::keyClick(&list, Qt::Key_Space);
  QTest::keyClick(&list, Qt::Key_Down);
  QTest::keyClick(&list, Qt::Key_Up);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(scope.audio.calls, (std::vector<std::string>{"stop", first}));  // arrows never play
  QTest::keyClick(&list, Qt::Key_Space);  // another row while one plays: that row plays
  EXPECT_EQ(scope.audio.calls, (std::vector<std::string>{"stop", first, "stop", second}));
  EXPECT_TRUE(scope.audio.playing);

  list.m_nDisabled = LIST_NO_PLAY;
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(scope.audio.calls.size(), 4u);
}
