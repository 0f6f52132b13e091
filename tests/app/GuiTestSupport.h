// What the window tests share: a loaded catalogue under an application object, recorded
// message boxes and audio, a temporary current directory, and modal dialogs answered from a timer.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BrowserApp.h"
#include "app/BrowserDlg.h"
#include "app/SoundListPage.h"
#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/SoundInfo.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"
#include "views/SoundListCtrl.h"

// The message boxes shown while it lives; each answers IDOK at once.
class MessageBoxRecorder {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned type;
    std::string details;
  };
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  const std::vector<Box>& boxes() const;
};

// An audio controller that only records what it is asked: "stop", "play PATH wave|ogg"; a
// sound plays from its Play to the next Stop.
class RecordingAudio : public CAudioController {
 public:
  std::vector<std::string> calls;
  bool playing = false;  // from a Play until a Stop
  bool Play(const char* path, int kind) override {
    calls.push_back(std::string("play ") + path + (kind == AUDIO_KIND_OGG ? " ogg" : " wave"));
    playing = true;
    return true;
  }
  void Stop() override {
    calls.push_back("stop");
    playing = false;
  }
  bool IsPlaying() const override { return playing; }
};

// While it lives: the current directory is a temporary one, and the recording controller is
// the audio controller, with autoplay off.
class TempCwdAndAudio {
 public:
  TempCwdAndAudio() : m_old(std::filesystem::current_path()) {
    std::filesystem::current_path(cwd.path());
    g_pAudio = &audio;
    g_bAutoplay = 0;
  }
  ~TempCwdAndAudio() {
    g_pAudio = nullptr;
    g_bAutoplay = 0;
    std::filesystem::current_path(m_old);
  }
  TempDir cwd;
  RecordingAudio audio;

 private:
  std::filesystem::path m_old;
};

// An application object whose catalogue is loaded from a set written into a temporary
// directory (the sample set unless another writer is given). It opens no window itself.
// A base before CBrowserApp, so that the set's folder outlives the application object and its
// catalogue's open metafiles (Windows refuses to remove open files).
struct TempSetDir {
  TempDir dir;
};
class LoadedApp : public TempSetDir, public CBrowserApp {
 public:
  explicit LoadedApp(const std::function<void(MetafileSetWriter&)>& make = {});
};

// Runs `answer` on the next modal dialog that opens (polling from a timer), e.g. to read and
// close it while the code under test sits in exec().
void AnswerNextModal(std::function<void(QWidget*)> answer);

// Double-clicks a row's second column; row -1 double-clicks below the last row.
void DoubleClickRow(CSoundListCtrl* list, int row);
