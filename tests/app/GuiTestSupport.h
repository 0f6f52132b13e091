// What the window tests share: a loaded catalogue under an application object, recorded
// message boxes, modal dialogs answered from a timer, and screenshots.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BrowserApp.h"
#include "audio/AudioController.h"
#include "tests/support/TempDir.h"

class CSoundCatalogue;
class MetafileSetWriter;

// The message boxes shown while it lives; each answers IDOK at once.
class MessageBoxRecorder {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned type;
  };
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  const std::vector<Box>& boxes() const;
};

// An audio controller that only records what it is asked: "stop", "play PATH wave|ogg".
class RecordingAudio : public CAudioController {
 public:
  std::vector<std::string> calls;
  bool Play(const char* path, int kind) override {
    calls.push_back(std::string("play ") + path + (kind == AUDIO_KIND_OGG ? " ogg" : " wave"));
    return true;
  }
  void Stop() override { calls.push_back("stop"); }
};

// An application object whose catalogue is loaded from a set written into a temporary
// directory (the sample set unless another writer is given). It opens no window itself.
class LoadedApp : public CBrowserApp {
 public:
  explicit LoadedApp(const std::function<void(MetafileSetWriter&)>& make = {});
  TempDir dir;
};

// Runs `answer` on the next modal dialog that opens (polling from a timer), e.g. to read and
// close it while the code under test sits in exec().
void AnswerNextModal(std::function<void(QWidget*)> answer);

// Saves the widget's picture as NAME.png in the test output folder.
void SaveScreenshot(QWidget* widget, const std::string& name);

// The display text of every cell of a view's model, row by row.
std::vector<std::vector<std::string>> CellTexts(class QAbstractItemModel* model);
