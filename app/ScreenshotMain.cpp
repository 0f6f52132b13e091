// quarn-vantor-screenshot SET OUT_DIR: pictures of the main window and the Meta Sound dialog on
// a metafile set, drawn offscreen, for the README.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"
#include "app/BrowserApp.h"
#include "app/BrowserDlg.h"
#include "app/MetaSoundDlg.h"
#include "app/SoundListPage.h"
#include "app/TabCtrl.h"
#include "catalogue/MetafileLocator.h"
#include "catalogue/SoundCatalogue.h"
#include "views/SoundListCtrl.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quarn-vantor-screenshot SET OUT_DIR\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  CBrowserApp app;
  QApplication::setWindowIcon(LoadAppIcon());
  std::string dir;
  if (!ProbeChosenPath(argv[1], dir)) {
    std::fprintf(stderr, "quarn-vantor-screenshot: not a metafile set: %s\n", argv[1]);
    return 1;
  }
  app.m_pCatalogue = new CSoundCatalogue;
  if (!app.m_pCatalogue->Load(dir.c_str(), nullptr, stderr)) return 1;
  QDir().mkpath(argv[2]);
  const QString out = QString::fromLocal8Bit(argv[2]);

  CBrowserDlg main;
  main.resize(980, 560);
  main.show();
  CSoundListCtrl* list = main.m_soundsPage->m_list;
  list->selectRow(6);
  main.grab().save(out + "/main-window.png");

  main.ShowMetaSound(list->GetModel()->ItemAt(6));
  main.m_pMetaSound->resize(760, 300);
  main.m_pMetaSound->m_tab->SetCurSel(3);
  main.m_pMetaSound->grab().save(out + "/meta-sound.png");
  return 0;
}
