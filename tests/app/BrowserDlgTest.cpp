// The main window on a loaded catalogue.
#include <gtest/gtest.h>

#include "app/BrowserDlg.h"
#include "tests/app/GuiTestSupport.h"

TEST(BrowserDlg, OpensOnTheSampleSet) {
  LoadedApp app;
  CBrowserDlg dlg;
  dlg.show();
  EXPECT_EQ(dlg.windowTitle().toStdString(), "Quarn Vantor");
  SaveScreenshot(&dlg, "main-window");
}
