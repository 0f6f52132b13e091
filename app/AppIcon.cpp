#include "app/AppIcon.h"

void InitAppResources() { Q_INIT_RESOURCE(vantor); }

QIcon LoadAppIcon() {
  static const QIcon icon = [] {
    QIcon i;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
      i.addFile(QStringLiteral(":/vantor/quarn-vantor-%1.png").arg(size), QSize(size, size));
    return i;
  }();
  return icon;
}
