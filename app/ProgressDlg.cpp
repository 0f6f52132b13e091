#include "app/ProgressDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "app/DialogUnits.h"
#include "views/QtText.h"

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent) {}

void CProgressDlg::Create() {
  // Caption and modal frame, no system menu: no close box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QStringLiteral("Progress"));
  setFont(DialogFont());
  const CDialogUnits du(font());
  setFixedSize(du.Size(252, 23));

  m_text = new QLabel(QStringLiteral("Progress"), this);
  m_text->setObjectName(QStringLiteral("text"));
  m_text->setGeometry(du.Rect(4, 2, 246, 8));
  m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("progress"));
  m_progress->setGeometry(du.Rect(2, 11, 248, 10));
  m_progress->setTextVisible(false);

  // Centred on the screen.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  OnInitDialog();
}

bool CProgressDlg::OnInitDialog() {
  m_text->setText(QString());
  m_nPos = 0;
  m_nLower = 0;
  m_nUpper = 100;
  m_nStep = 1;
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  return true;
}

void CProgressDlg::SetWindowText(const char* text) { setWindowTitle(QString::fromUtf8(text)); }

void CProgressDlg::SetStage(int32_t nLower, int32_t nUpper, const char* pszText) {
  if (!m_progress) return;
  m_text->setText(FromCp1252(pszText ? pszText : ""));
  m_nLower = nLower;
  m_nUpper = nUpper;
  m_progress->setRange(nLower, nUpper);
  SetPos(nLower);
  Repaint(true);
}

void CProgressDlg::Step(int32_t nDelta) {
  if (!m_progress) return;
  SetPos(static_cast<int64_t>(m_nPos) + (nDelta != 0 ? nDelta : m_nStep));
  Repaint();
}

void CProgressDlg::SetPos(int64_t position) {
  // A move past either end stops at that end, as the platform's bar does.
  if (position > m_nUpper) position = m_nUpper;
  if (position < m_nLower) position = m_nLower;
  m_nPos = static_cast<int32_t>(position);
  m_progress->setValue(m_nPos);
}

void CProgressDlg::Repaint(bool force) {
  if (!isVisible()) return;
  // The job runs on the main thread: paint now, and let the window system's expose and paint
  // events through (never the user's input); steps at most every 15 ms.
  if (!force && m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < 15) return;
  m_sinceRepaint.restart();
  m_text->repaint();
  m_progress->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
