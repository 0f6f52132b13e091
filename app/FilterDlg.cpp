#include "app/FilterDlg.h"

CFilterDlg::CFilterDlg(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Filter")); }
