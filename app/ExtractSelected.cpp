#include "app/ExtractSelected.h"

#include <QApplication>
#include <cstdio>
#include <string>

#include "app/BrowserApp.h"
#include "app/DesktopSettings.h"
#include "app/ProgressDlg.h"
#include "export/SoundExport.h"
#include "platform/MessageBox.h"
#include "views/SoundListCtrl.h"

void ExtractSelected(CSoundListCtrl* list, bool raw) {
  if (!list || (list->m_nDisabled & LIST_NO_EXTRACT) || !list->GetModel()) return;
  const std::vector<int64_t> rows = list->GetSelectedRows();
  if (rows.empty()) return;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  ExtractReport report;
  {
    CProgressDlg progress(nullptr);
    progress.Create();
    progress.SetWindowText(raw ? "Extract Raw Progress" : "Extract Progress");
    progress.show();
    // SetStage(0, rows, "Extracting..."), then one step per row.
    report = ExtractRows(*list->GetModel(), rows, raw, &progress, ExtractionFolder().toStdString());
    progress.close();
  }
  char text[64];
  std::snprintf(text, sizeof text, "Extracted %ld of %ld files.", report.nExtracted, static_cast<long>(rows.size()));
  std::string details;
  for (const auto* lines : {&report.failures, &report.notes})
    for (const std::string& line : *lines) details += line + "\n";
  AfxMessageBox(text, MB_ICONINFORMATION, details.empty() ? nullptr : details.c_str());
  QApplication::restoreOverrideCursor();
}
