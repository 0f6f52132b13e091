#include "app/MetafileFileDialog.h"

#include <QFileDialog>

bool CMetafileFileDialog::DoModal(std::string& chosenPath) {
  // "Title|pattern" to Qt's "Title (pattern)": the text before '|' already names the pattern.
  const QString filter = QString::fromUtf8(kMetafileDialogFilter).section(QLatin1Char('|'), 0, 0);
  QFileDialog dialog(nullptr, QString::fromUtf8(kMetafileDialogTitle), QString(), filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosenPath = dialog.selectedFiles().first().toStdString();
  return true;
}
