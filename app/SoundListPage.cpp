#include "app/SoundListPage.h"

#include "app/DialogUnits.h"
#include "catalogue/SoundCatalogue.h"
#include "views/SoundListCtrl.h"

CSoundListPage::CSoundListPage(QWidget* parent) : CDialogPage(parent) {}

void CSoundListPage::Create(CSoundCatalogue* catalogue) {
  const CDialogUnits du(font());
  resize(du.Size(312, 196));
  m_list = new CSoundListCtrl(this);
  m_list->setObjectName(QStringLiteral("sounds"));
  m_list->setAccessibleName(QStringLiteral("Sounds"));
  m_list->setGeometry(du.Rect(0, 0, 311, 196));
  SetHostedControl(m_list);
  hide();
  OnInitDialog(catalogue);
}

bool CSoundListPage::OnInitDialog(CSoundCatalogue* catalogue) {
  static const ColumnKind kColumns[] = {COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE};
  m_list->SetModel(catalogue ? &catalogue->m_listModel : nullptr);
  m_list->SetColumns(kColumns, 6);
  m_list->Refresh();
  return true;
}
