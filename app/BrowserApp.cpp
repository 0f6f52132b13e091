#include "app/BrowserApp.h"

#include <QApplication>
#include <cstdio>
#include <new>

#include "app/AppIcon.h"
#include "app/BrowserDlg.h"
#include "app/ProgressDlg.h"
#include "catalogue/MetafileLocator.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/Archiver.h"
#include "app/MetafileFileDialog.h"
#include "platform/MessageBox.h"

namespace {
CBrowserApp* g_pApp = nullptr;
}

CBrowserApp* AfxGetBrowserApp() { return g_pApp; }

int AfxMessageBox(const char* text, unsigned int type, const char* details) {
  return MessageBoxDetailsA(nullptr, text, kAppTitle, type, details);
}

CBrowserApp::CBrowserApp() {
  InitAppResources();
  g_pApp = this;
}

CBrowserApp::~CBrowserApp() {
  delete m_pProgress;
  delete m_pCatalogue;
  if (g_pApp == this) g_pApp = nullptr;
}

bool CBrowserApp::StartAudioController() { return StartAudio(m_audio); }

void CBrowserApp::ShutdownAudioController() { ShutdownAudio(m_audio, nullptr); }

bool CBrowserApp::Locate(std::string& path) {
  if (m_commandLineSet) return ProbeChosenPath(m_commandLineSet->c_str(), path);
  CMetafileFileDialog dialog;
  return LocateMetafiles(path, &dialog);
}

void CBrowserApp::LoadCatalogue(const std::string& path, IProgressSink* progress) {
  m_pCatalogue = new CSoundCatalogue;
  m_pCatalogue->Load(path.c_str(), progress);
}

void CBrowserApp::RunMainWindow() {
  CBrowserDlg dlg(nullptr);
  m_pMainWnd = &dlg;
  dlg.exec();
  m_pMainWnd = nullptr;
}

void CBrowserApp::BeginWaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ++m_nWaitCursor;
}

void CBrowserApp::RestoreWaitCursor() {
  // The load is over: the windows that follow get their own cursors back.
  while (m_nWaitCursor > 0) {
    QApplication::restoreOverrideCursor();
    --m_nWaitCursor;
  }
}

void CBrowserApp::EndWaitCursor() { RestoreWaitCursor(); }

bool CBrowserApp::InitInstance() {
  // Audio: without it, playing and stopping do nothing.
  StartAudioController();

  // The progress window of the load.
  m_pProgress = new (std::nothrow) CProgressDlg(nullptr);
  if (m_pProgress) {
    m_pProgress->Create();
    m_pProgress->show();
    m_pProgress->SetWindowText("QRNMetafileBrowser Progress");
  }

  std::string path;
  if (!Locate(path)) {
    AfxMessageBox(kNoValidPath, MB_ICONEXCLAMATION);
    return false;
  }

  BeginWaitCursor();
  try {
    LoadCatalogue(path, m_pProgress);
  } catch (const std::bad_alloc&) {
    AfxMessageBox("Memory exception!", MB_OK);
  } catch (const CArchiver::xArchiver&) {
    AfxMessageBox("Archiver exception!", MB_OK);
  } catch (...) {
    AfxMessageBox("Something is horribly wrong!!!", MB_OK);
    delete m_pCatalogue;
    m_pCatalogue = nullptr;
    EndWaitCursor();
    return false;
  }
  RestoreWaitCursor();

  if (m_pProgress) {
    m_pProgress->close();
    delete m_pProgress;
    m_pProgress = nullptr;
  }

  RunMainWindow();
  EndWaitCursor();
  return false;
}

int CBrowserApp::ExitInstance() {
  ShutdownAudioController();
  std::remove(kPlaybackFile);
  return 0;
}
