// What the desktop program remembers beyond the metafile directory: the extraction folder,
// the recently opened sets and the windows' layout, as text values of the key
// "SOFTWARE\Quarn Vantor\Desktop" (the settings file).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;
class CSoundListCtrl;

inline constexpr const char kDesktopKey[] = "SOFTWARE\\Quarn Vantor\\Desktop";
inline constexpr int kRecentSetCount = 5;

// A text value of the key; nothing when it is missing, not text or unreadable.
std::optional<QString> ReadDesktopValue(const char* name);
// False when the settings cannot be written.
bool WriteDesktopValue(const char* name, const QString& value);

// The folder Extract writes into: the chosen one while it exists, else the current directory.
QString ExtractionFolder();
void SetExtractionFolder(const QString& folder);

// The sets opened through Open Set, the latest first, at most kRecentSetCount.
QStringList RecentSets();
void AddRecentSet(const QString& dir);

// Window and list layouts. Restore applies a stored value when it is sound and remembers what
// the widget looks like then; Save writes only what has changed since, so a damaged or
// foreign value is replaced only once that part of the layout changes, and a damaged
// settings file is never written for a layout.
void RestoreWindowGeometry(QWidget* window, const char* name);
void SaveWindowGeometry(QWidget* window, const char* name);
void RestoreColumns(CSoundListCtrl* list, const char* name);
void SaveColumns(CSoundListCtrl* list, const char* name);
// The default width and order of the list's columns.
void ResetColumns(CSoundListCtrl* list);

// A layout value of the widget: Remember keeps the text as the one stored; Save writes the
// text when it differs from that (and the settings file is sound).
void RememberLayout(QWidget* widget, const char* name, const QString& text);
void SaveLayout(QWidget* widget, const char* name, const QString& text);

// The text forms of the layouts, as stored.
QString WindowGeometryText(const QWidget* window);
QString ColumnsText(const CSoundListCtrl* list);
