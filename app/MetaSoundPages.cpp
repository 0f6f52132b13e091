#include "app/MetaSoundPages.h"

#include "app/BrowserApp.h"
#include "app/MetaSoundDlg.h"
#include "catalogue/SoundCatalogue.h"
#include "views/SoundListCtrl.h"

namespace {
const SoundListItem kNoRow{};

// The model the catalogue holds: what the pages' models are attached like.
const CSoundListModel* MainModel() {
  CBrowserApp* app = AfxGetBrowserApp();
  return app && app->m_pCatalogue ? &app->m_pCatalogue->m_listModel : nullptr;
}
}  // namespace

CMetaSoundListPage::CMetaSoundListPage(QWidget* parent, uint32_t routes) : CListPage(parent, routes) {}

CMetaSoundDlg* CMetaSoundListPage::GetDialog() const {
  QWidget* tab = parentWidget();
  return qobject_cast<CMetaSoundDlg*>(tab ? tab->parentWidget() : nullptr);
}

const SoundListItem& CMetaSoundListPage::ShownRow() const {
  const CMetaSoundDlg* dialog = GetDialog();
  return dialog ? dialog->m_item : kNoRow;
}

void CMetaSoundListPage::SetUp(const ColumnKind* kinds, int32_t count, uint32_t disabled) {
  if (const CSoundListModel* main = MainModel()) m_model.AttachLike(*main);
  m_list->SetModel(&m_model);
  m_list->SetColumns(kinds, count);
  m_list->m_nDisabled = disabled;
}

CMetaSoundsPage::CMetaSoundsPage(QWidget* parent) : CMetaSoundListPage(parent, ROUTE_ALL & ~ROUTE_FILTER) {}

void CMetaSoundsPage::Create() {
  static const ColumnKind kColumns[] = {COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE};
  CreateList(267, 172, 267, 172, "files");
  m_list->setAccessibleName(QStringLiteral("Sound files"));
  SetUp(kColumns, 4, LIST_NO_FILTER);
  Refresh();
}

void CMetaSoundsPage::Refresh() {
  const SoundListItem row = ShownRow();
  m_model.LoadFileList(row);
  m_list->Refresh();
}

void CMetaSoundsPage::OnDoubleClick(int row) {
  if (const SoundListItem* item = m_model.ItemAt(row))
    if (CMetaSoundDlg* dialog = GetDialog()) dialog->ShowSoundFile(&m_model, item);
}

CReferencesPage::CReferencesPage(QWidget* parent) : CMetaSoundListPage(parent, ROUTE_AUTOPLAY) {}

void CReferencesPage::Create() {
  static const ColumnKind kColumns[] = {COL_NUMBER, COL_ID};
  CreateList(213, 177, 213, 177, "references");
  m_list->setAccessibleName(QStringLiteral("References"));
  if (const CSoundListModel* main = MainModel()) m_model.AttachLike(*main);
  m_model.pReference = ShownRow().pInfo;
  m_model.bMatchByFile = 0;
  m_list->SetModel(&m_model);
  m_list->SetColumns(kColumns, 2);
  m_list->Refresh();
  m_list->m_nDisabled = LIST_NO_EXTRACT | LIST_NO_PLAY | LIST_NO_FILTER;
}

void CReferencesPage::Refresh() {
  m_model.pReference = ShownRow().pInfo;
  m_model.bMatchByFile = 0;
  m_list->Refresh();
}

CFileReferencesPage::CFileReferencesPage(QWidget* parent) : CMetaSoundListPage(parent, ROUTE_ALL) {}

void CFileReferencesPage::Create() {
  static const ColumnKind kColumns[] = {COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE};
  CreateList(186, 90, 185, 89, "fileReferences");
  m_list->setAccessibleName(QStringLiteral("File references"));
  if (const CSoundListModel* main = MainModel()) m_model.AttachLike(*main);
  m_model.pReference = ShownRow().pInfo;
  m_model.bMatchByFile = 1;
  m_list->SetModel(&m_model);
  m_list->SetColumns(kColumns, 6);
  m_list->Refresh();
}

void CFileReferencesPage::Refresh() {
  m_model.pReference = ShownRow().pInfo;
  m_model.bMatchByFile = 1;
  m_list->Refresh();
}
