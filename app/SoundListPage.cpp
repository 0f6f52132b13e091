#include "app/SoundListPage.h"

#include "app/BrowserDlg.h"
#include "catalogue/SoundCatalogue.h"
#include "views/SoundListCtrl.h"

CSoundListPage::CSoundListPage(QWidget* parent) : CListPage(parent, ROUTE_ALL) {}

void CSoundListPage::Create(CSoundCatalogue* catalogue) {
  CreateList(312, 196, 311, 196, "sounds");
  m_list->setAccessibleName(QStringLiteral("Sounds"));
  OnInitDialog(catalogue);
}

bool CSoundListPage::OnInitDialog(CSoundCatalogue* catalogue) {
  static const ColumnKind kColumns[] = {COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE};
  m_list->SetModel(catalogue ? &catalogue->m_listModel : nullptr);
  m_list->SetColumns(kColumns, 6);
  m_list->Refresh();
  return true;
}

void CSoundListPage::OnDoubleClick(int row) {
  CSoundListModel* model = m_list->GetModel();
  if (!model) return;
  // The main window is the page's parent's parent (page, tab control, main window).
  QWidget* tab = parentWidget();
  if (auto* main = qobject_cast<CBrowserDlg*>(tab ? tab->parentWidget() : nullptr)) main->ShowMetaSound(model->ItemAt(row));
}
