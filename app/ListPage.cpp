#include "app/ListPage.h"

#include <QLineEdit>

#include "app/DialogUnits.h"
#include "app/ExtractSelected.h"
#include "app/FindBar.h"
#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "views/SoundListCtrl.h"

CListPage::CListPage(QWidget* parent, uint32_t routes) : CDialogPage(parent), m_routes(routes) {}

void CListPage::CreateList(int cx, int cy, int lx, int ly, const char* name) {
  const CDialogUnits du(font());
  resize(du.Size(cx, cy));
  m_list = new CSoundListCtrl(this);
  m_list->setObjectName(QString::fromUtf8(name));
  m_list->setGeometry(du.Rect(0, 0, lx, ly));
  SetHostedControl(m_list);
  connect(m_list, &CSoundListCtrl::Command, this, &CListPage::OnCommand);
  connect(m_list, &CSoundListCtrl::DoubleClicked, this, [this](int row) { OnDoubleClick(row); });
  connect(m_list, &CSoundListCtrl::FindRequested, this, &CListPage::OpenFindBar);
  // F3 in the list goes on with the bar's text (showing the bar again), or opens the bar.
  connect(m_list, &CSoundListCtrl::FindNextRequested, this, [this](int direction) {
    if (!m_findBar || m_findBar->m_edit->text().isEmpty()) return OpenFindBar();
    m_findBar->show();
    m_findBar->FindNext(direction);
  });
  hide();
}

void CListPage::OpenFindBar() {
  if (!m_findBar) {
    m_findBar = new CFindBar(m_list, this);
    SetBottomBar(m_findBar);
  }
  m_findBar->Open();
}

void CListPage::OnCommand(int id) {
  switch (id) {
    case ID_EXTRACT:
      if (m_routes & ROUTE_EXTRACT) ExtractSelected(m_list, false);
      break;
    case ID_EXTRACT_RAW:
      if (m_routes & ROUTE_EXTRACT) ExtractSelected(m_list, true);
      break;
    case ID_PLAY:
      if (m_routes & ROUTE_PLAY) m_list->PlayContextItem();
      break;
    case ID_STOP:
      if ((m_routes & ROUTE_STOP) && g_pAudio) g_pAudio->Stop();
      break;
    case ID_AUTOPLAY:
      if (m_routes & ROUTE_AUTOPLAY) g_bAutoplay = !g_bAutoplay;
      break;
    case ID_FILTER:
      if (m_routes & ROUTE_FILTER) m_list->FilterCommand();
      break;
    default:
      break;
  }
}
