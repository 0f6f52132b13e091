#include "app/AboutDlg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "app/DialogUnits.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Vantor..."));
  setWindowIcon(LoadAppIcon());
  setFont(DialogFont());
  const CDialogUnits du(font());
  setFixedSize(du.Size(208, 62));

  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setGeometry(du.Rect(2, 2, 204, 45));

  auto* icon = new QLabel(this);
  const QRect iconRect = du.Rect(10, 14, 20, 20);
  icon->setGeometry(iconRect);
  icon->setPixmap(LoadAppIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignCenter);

  // A text keeps its place and grows to the frame's right edge if the font needs it.
  auto text = [&](int x, int y, int cx, const char* content) {
    auto* label = new QLabel(QString::fromUtf8(content), this);
    QRect r = du.Rect(x, y, cx, 8);
    r.setWidth(qBound(r.width(), label->sizeHint().width(), du.X(206 - x)));
    label->setGeometry(r);
    return label;
  };
  text(42, 8, 131, "Quarn Vantor Version 1.0 BETA");
  text(42, 20, 156, "A sound browser for the game Quarnhold");
  text(42, 32, 119, "Copyright \u00a9 2026 the Quarn Vantor developers");

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(du.Rect(170, 48, 36, 12));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
