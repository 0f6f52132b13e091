#include "app/MetaSoundDlg.h"

#include <QCloseEvent>

#include "app/Command.h"
#include "app/DialogUnits.h"
#include "app/MetaSoundPages.h"
#include "app/SoundFileDlg.h"
#include "app/TabCtrl.h"
#include "app/UnknownDataPage.h"
#include "metafile/SoundInfo.h"
#include "views/ListCommands.h"

CMetaSoundDlg::CMetaSoundDlg(QWidget* owner) : QDialog(owner) {
  // Caption, system menu, sizing border, minimise box; a window of its own, kept above its owner.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Meta Sound"));
  setFont(DialogFont());
  const CDialogUnits du(font());
  resize(du.Size(314, 166));
  m_tab = new CTabCtrl(this);
  m_tab->setObjectName(QStringLiteral("tab"));
  m_tab->setGeometry(du.Rect(0, 0, 313, 166));
  OnInitDialog();
}

CMetaSoundDlg::~CMetaSoundDlg() { CloseChild(); }

bool CMetaSoundDlg::OnInitDialog() {
  if (QWidget* owner = parentWidget()) setWindowIcon(owner->windowIcon());

  m_tab->InsertItem(0, QStringLiteral("Sounds"));
  m_tab->InsertItem(1, QStringLiteral("References"));
  m_tab->InsertItem(2, QStringLiteral("Unknown Data"));
  m_tab->InsertItem(3, QStringLiteral("File References"));
  connect(m_tab, &CTabCtrl::SelChanging, this, [this](int index) {
    if (QWidget* page = Page(index)) page->hide();
  });
  connect(m_tab, &CTabCtrl::SelChange, this, [this](int index) {
    if (QWidget* page = Page(index)) page->show();
  });

  const QRect page = m_tab->GetPageRect();
  m_soundsPage = new CMetaSoundsPage(m_tab);
  m_soundsPage->Create();
  m_soundsPage->setGeometry(page);
  m_soundsPage->show();
  m_referencesPage = new CReferencesPage(m_tab);
  m_referencesPage->Create();
  m_referencesPage->setGeometry(page);
  m_unknownPage = new CUnknownDataPage(m_tab);
  m_unknownPage->Create();
  m_unknownPage->setGeometry(page);
  m_fileReferencesPage = new CFileReferencesPage(m_tab);
  m_fileReferencesPage->Create();
  m_fileReferencesPage->setGeometry(page);
  return true;
}

QWidget* CMetaSoundDlg::Page(int index) const {
  switch (index) {
    case 0: return m_soundsPage;
    case 1: return m_referencesPage;
    case 2: return m_unknownPage;
    case 3: return m_fileReferencesPage;
    default: return nullptr;
  }
}

void CMetaSoundDlg::SetSound(const SoundListItem* item) {
  m_item = SoundListItem{};
  if (item) {
    m_item.pInfo = item->pInfo;
    m_item.pFile = item->pFile;
  }
  m_soundsPage->Refresh();
  m_referencesPage->Refresh();
  m_unknownPage->SetData(m_item.pInfo ? m_item.pInfo->m_unknown : nullptr);
  m_fileReferencesPage->Refresh();
}

void CMetaSoundDlg::ShowSoundFile(const CSoundListModel* model, const SoundListItem* item) {
  if (!m_pChild) {
    m_pChild = new CSoundFileDlg(this);
    m_pChild->show();
  }
  m_pChild->SetSound(model, item);
}

void CMetaSoundDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!m_tab) return;
  m_tab->FitToClient(rect(), {Page(0), Page(1), Page(2), Page(3)});
}

void CMetaSoundDlg::closeEvent(QCloseEvent* event) {
  // The owner destroys this dialog.
  event->ignore();
  CloseChild();
  SendCommand(parentWidget(), ID_CLOSE_CHILD);
}

void CMetaSoundDlg::OnCommand(int id) {
  if (id == ID_CLOSE_CHILD) CloseChild();
}

void CMetaSoundDlg::CloseChild() {
  if (!m_pChild) return;
  m_pChild->hide();
  m_pChild->deleteLater();
  m_pChild = nullptr;
}
