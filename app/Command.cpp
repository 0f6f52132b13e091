#include "app/Command.h"

#include <QMetaObject>
#include <QObject>

bool SendCommand(QObject* target, int id) {
  return target && QMetaObject::invokeMethod(target, "OnCommand", Qt::DirectConnection, Q_ARG(int, id));
}
