// The application icon (resource 128).
#pragma once

#include <QIcon>

QIcon LoadAppIcon();
// Registers the resource script (icon, bitmaps) of this static library.
void InitAppResources();
