// quarn-vantor: the desktop program.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

#include "app/AppIcon.h"
#include "app/BrowserApp.h"
#include "app/QtMessageBox.h"
#include "platform/DesktopStart.h"
#include "platform/PathUtil.h"

namespace {

CBrowserApp theApp;

bool g_bStarting = false;
bool g_bRunning = false;

// Qt ends the process with exit() when the window system goes away (the X server died): the
// windows and the audio thread are still alive then, so the static objects must not be torn
// down under them.
void ExitDuringRun() {
  if (g_bRunning) _exit(1);
}

// While the window system is being opened, Qt's complaints are ours to say in one line; a
// fatal one ends the program with status 1 instead of an abort.
void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    ShowStartupText("quarn-vantor: cannot open a window: no usable display (" + DisplayDescription() + ")\n", true);
    _exit(1);
  }
  if (!g_bStarting) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Quarn Vantor: browse, play and extract the sounds of Quarnhold.", "quarn-vantor"};
  std::string dir;
  cli.add_option("DIR", dir,
                 "the metafile directory, or any file in it, for this run (not stored); without it, the stored "
                 "setting, the game's installation or a file dialog");
  cli.set_version_flag("--version", "quarn-vantor " QUARN_VANTOR_VERSION " BETA");
  cli.footer("Qt's own options (-platform, -style, ...) may follow.");
  cli.allow_extras();
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::ostringstream out, err;
    const int status = cli.exit(e, out, err);
    ShowStartupText(out.str(), false);
    ShowStartupText(err.str(), true);
    return status;
  }

  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    ShowStartupText("quarn-vantor: cannot open a window: " + missing + "\n", true);
    return 1;
  }

  g_bStarting = true;
  qInstallMessageHandler(StartupMessages);
  QApplication app(argc, argv);
  g_bStarting = false;
  qInstallMessageHandler(nullptr);
  QApplication::setApplicationName(QStringLiteral("quarn-vantor"));
  QApplication::setApplicationVersion(QStringLiteral(QUARN_VANTOR_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("quarn-vantor"));
  QApplication::setWindowIcon(LoadAppIcon());
  SetMessageBoxPresenter(QtMessageBoxPresenter);

  // DIR is taken from where the program was started.
  if (!dir.empty()) dir = AbsolutePath(dir);

  // Extracted files and the playback file go into the current directory. A program started
  // from a desktop menu may be given one it cannot write ("/", "C:\Program Files\Quarn Vantor"):
  // the home folder then (Documents on Windows).
  if (!FolderWritable("."))
    if (const std::string home = UserDocumentsFolder(); !home.empty() && chdir(home.c_str()) != 0)
      std::fprintf(stderr, "quarn-vantor: cannot change to the folder %s\n", home.c_str());

  if (!dir.empty()) theApp.SetCommandLineSet(dir);
  g_bRunning = true;
  std::atexit(ExitDuringRun);
  theApp.InitInstance();
  g_bRunning = false;
  return theApp.ExitInstance();
}
