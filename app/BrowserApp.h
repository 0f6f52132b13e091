// The application object: start-up, the main window's run and shutdown.
#pragma once

#include <optional>
#include <string>

#include "audio/AudioController.h"

class CSoundCatalogue;
class CProgressDlg;
class IProgressSink;
class QWidget;

inline constexpr const char kAppTitle[] = "Quarn Vantor";
inline constexpr const char kPlaybackFile[] = "Vantor.tmp";
inline constexpr const char kNoValidPath[] = "Vantor has no valid path to Quarn sound files";

class CBrowserApp {
 public:
  CBrowserApp();
  CBrowserApp(const CBrowserApp&) = delete;
  CBrowserApp& operator=(const CBrowserApp&) = delete;
  virtual ~CBrowserApp();

  // The whole run: audio, the progress window, the set's location, the load and the main
  // window. Always false.
  bool InitInstance();
  // Stops audio and removes the playback file; the process's exit code.
  int ExitInstance();

  // A directory (or a file in it) to use for this run in place of locating the set.
  void SetCommandLineSet(std::string dir) { m_commandLineSet = std::move(dir); }

  CSoundCatalogue* m_pCatalogue = nullptr;  // owned
  CAudioController m_audio;
  QWidget* m_pMainWnd = nullptr;

 protected:
  // The steps a test can replace.
  virtual bool StartAudioController();
  virtual bool Locate(std::string& path);
  // Creates the catalogue, stores it and loads it; exceptions pass to the caller.
  virtual void LoadCatalogue(const std::string& path, IProgressSink* progress);
  virtual void RunMainWindow();
  virtual void ShutdownAudioController();

  // The wait cursor around the load.
  void BeginWaitCursor();
  void RestoreWaitCursor();
  void EndWaitCursor();

  CProgressDlg* m_pProgress = nullptr;

 private:
  std::optional<std::string> m_commandLineSet;
  int m_nWaitCursor = 0;
};

// The application object of this run (the most recently constructed one).
CBrowserApp* AfxGetBrowserApp();

// A message box captioned with the application's title; returns the button pressed.
int AfxMessageBox(const char* text, unsigned int type = 0, const char* details = nullptr);
