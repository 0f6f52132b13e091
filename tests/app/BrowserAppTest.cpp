// Start-up and shutdown of the application object, with fakes for the steps around the load.
#include <QLabel>
#include <QProgressBar>
#include <fstream>

#include "app/ProgressDlg.h"
#include "metafile/Archiver.h"
#include "platform/MessageBox.h"
#include "tests/app/GuiTestSupport.h"
#include "tools/SetGenerator.h"

namespace {

enum class Outcome { Loads, NoLocation, Memory, Archive, Other };

// Records the steps of a run; the load fails as told.
class FakeApp : private TempSetDir, public CBrowserApp {
 public:
  explicit FakeApp(Outcome outcome) : m_outcome(outcome) {}
  std::vector<std::string> steps;
  std::string progressTitle;
  bool progressVisible = false;
  CSoundCatalogue* catalogueAtMainWindow = nullptr;

 protected:
  bool StartAudioController() override {
    steps.push_back("audio");
    return false;
  }
  bool Locate(std::string& path) override {
    steps.push_back("locate");
    if (m_pProgress) {
      progressTitle = m_pProgress->windowTitle().toStdString();
      progressVisible = m_pProgress->isVisible();
    }
    if (m_outcome == Outcome::NoLocation) return false;
    path = dir.dir();
    return true;
  }
  void LoadCatalogue(const std::string& path, IProgressSink* progress) override {
    steps.push_back("load");
    MetafileSetWriter w;
    MakeSampleSet(w);
    w.Write(dir.path());
    CBrowserApp::LoadCatalogue(path, progress);
    switch (m_outcome) {
      case Outcome::Memory: throw std::bad_alloc();
      case Outcome::Archive: throw CArchiver::xArchiver{6, "CArchiver::Read: read error!"};
      case Outcome::Other: throw 42;
      default: break;
    }
  }
  void RunMainWindow() override {
    steps.push_back("main window");
    catalogueAtMainWindow = m_pCatalogue;
  }
  void ShutdownAudioController() override { steps.push_back("audio shutdown"); }

 private:
  Outcome m_outcome;
};

// The real steps, with the main window read and closed as soon as it runs.
class RealApp : public CBrowserApp {
 public:
  int64_t rows = -1;

 protected:
  void RunMainWindow() override {
    AnswerNextModal([this](QWidget* modal) {
      if (auto* dlg = qobject_cast<CBrowserDlg*>(modal))
        rows = dlg->findChild<CSoundListCtrl*>()->model()->rowCount();
      modal->close();
    });
    CBrowserApp::RunMainWindow();
  }
};

// Records the bar's value after every step. (The stages a load reports are the catalogue's tests.)
class RecordingProgress : public CProgressDlg {
 public:
  std::vector<int> values;
  void Step(int32_t delta) override {
    CProgressDlg::Step(delta);
    values.push_back(m_progress->value());
  }
};

// Runs the test in a directory of its own, holding a stale playback file.
struct InTempDir : TempCwdAndAudio {
  InTempDir() { std::ofstream(kPlaybackFile) << "stale"; }
};

}  // namespace

TEST(BrowserApp, StartUpOrderAndBoxes) {
  struct Case {
    Outcome outcome;
    const char* box;  // null: none
    unsigned type;
    bool mainWindow;
    bool catalogueKept;
  };
  const Case cases[] = {
      {Outcome::Loads, nullptr, 0, true, true},
      {Outcome::NoLocation, "Vantor has no valid path to Quarn sound files", MB_ICONEXCLAMATION, false, false},
      {Outcome::Memory, "Memory exception!", MB_OK, true, true},
      {Outcome::Archive, "Archiver exception!", MB_OK, true, true},
      {Outcome::Other, "Something is horribly wrong!!!", MB_OK, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box ? c.box : "loads");
    InTempDir cwd;
    MessageBoxRecorder boxes;
    FakeApp app(c.outcome);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ExitInstance(), 0);

    std::vector<std::string> expected{"audio", "locate"};
    if (c.outcome != Outcome::NoLocation) expected.push_back("load");
    if (c.mainWindow) expected.push_back("main window");
    expected.push_back("audio shutdown");
    EXPECT_EQ(app.steps, expected);
    EXPECT_EQ(app.progressTitle, "QRNMetafileBrowser Progress");
    EXPECT_TRUE(app.progressVisible);
    if (c.box) {
      ASSERT_EQ(boxes.boxes().size(), 1u);
      EXPECT_EQ(boxes.boxes()[0].text, c.box);
      EXPECT_EQ(boxes.boxes()[0].caption, "Quarn Vantor");
      EXPECT_EQ(boxes.boxes()[0].type, c.type);
    } else {
      EXPECT_TRUE(boxes.boxes().empty());
    }
    if (c.mainWindow) {
      ASSERT_NE(app.catalogueAtMainWindow, nullptr);
      EXPECT_GT(app.catalogueAtMainWindow->m_taggedSounds.GetCount(), 0);
    }
    EXPECT_EQ(app.m_pCatalogue != nullptr, c.catalogueKept);
    EXPECT_FALSE(std::filesystem::exists(kPlaybackFile));
  }
}

TEST(BrowserApp, DirArgumentIsUsedForTheRunAndNotStored) {
  InTempDir cwd;
  TempDir config, set;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  MetafileSetWriter w;
  MakeSampleSet(w);
  ASSERT_TRUE(w.Write(set.path()));
  struct Run {
    MessageBoxRecorder boxes;
    RealApp app;
    explicit Run(const std::string& arg) { app.SetCommandLineSet(arg), app.InitInstance(), app.ExitInstance(); }
  };
  {
    Run run(set.file("SchemaMetafile_DVD2.csc"));  // a file stands for its directory
    EXPECT_TRUE(run.boxes.boxes().empty());
    ASSERT_NE(run.app.m_pCatalogue, nullptr);
    EXPECT_EQ(run.app.rows, static_cast<int64_t>(run.app.m_pCatalogue->m_listModel.nCount));
    EXPECT_GT(run.app.rows, 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(config.path()));  // nothing stored

  // A directory that is not a set: the exclamation box, no main window.
  Run run(config.path());
  ASSERT_EQ(run.boxes.boxes().size(), 1u);
  EXPECT_EQ(run.boxes.boxes()[0].text, kNoValidPath);
  EXPECT_EQ(run.app.rows, -1);
  unsetenv("XDG_CONFIG_HOME");
}

TEST(ProgressDlg, ReportsReachTheBar) {
  RecordingProgress dlg;
  dlg.Create();
  dlg.show();
  dlg.SetWindowText("QRNMetafileBrowser Progress");
  EXPECT_EQ(dlg.m_text->text(), QString());  // the template's "Progress" is never seen
  EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);

  dlg.SetStage(0, 1, "Reading Sound Tags...");
  EXPECT_EQ(dlg.m_text->text(), "Reading Sound Tags...");
  dlg.Step(0);
  EXPECT_EQ(dlg.m_progress->value(), dlg.m_progress->maximum());  // one step fills it
  dlg.SetStage(10, 50, nullptr);
  EXPECT_EQ(dlg.m_text->text(), QString());
  EXPECT_EQ(dlg.m_progress->value(), 10);
  dlg.Step(0);
  dlg.Step(1);
  dlg.Step(5);
  EXPECT_EQ(dlg.values, (std::vector<int>{1, 11, 12, 17}));
}
