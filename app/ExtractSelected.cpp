#include "app/ExtractSelected.h"

#include <QApplication>
#include <cstdio>

#include "app/BrowserApp.h"
#include "app/ProgressDlg.h"
#include "export/SoundExport.h"
#include "platform/MessageBox.h"
#include "views/SoundListCtrl.h"

void ExtractSelected(CSoundListCtrl* list, bool raw) {
  if (!list || (list->m_nDisabled & LIST_NO_EXTRACT) || !list->GetModel()) return;
  const std::vector<int64_t> rows = list->GetSelectedRows();
  if (rows.empty()) return;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  long done;
  {
    CProgressDlg progress(nullptr);
    progress.Create();
    progress.SetWindowText(raw ? "Extract Raw Progress" : "Extract Progress");
    progress.show();
    // SetStage(0, rows, "Extracting..."), then one step per row.
    done = ExtractRows(*list->GetModel(), rows, raw, &progress);
    progress.close();
  }
  char text[64];
  std::snprintf(text, sizeof text, "Extracted %ld of %ld files.", done, static_cast<long>(rows.size()));
  AfxMessageBox(text, MB_ICONINFORMATION);
  QApplication::restoreOverrideCursor();
}
