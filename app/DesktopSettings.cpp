#include "app/DesktopSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "views/SoundListColumns.h"
#include "views/SoundListCtrl.h"

namespace {

constexpr char kFolderValue[] = "Extraction Folder";
constexpr char kRecentValue[] = "Recent Sets";
// The property a widget keeps its layout text in, as last restored or saved.
constexpr char kSavedProperty[] = "vantorSavedLayout";

QString Stored(const char* name) { return QStringLiteral("%1 %2").arg(QString::fromUtf8(kSavedProperty), QString::fromUtf8(name)); }

}  // namespace

void RememberLayout(QWidget* widget, const char* name, const QString& text) {
  widget->setProperty(Stored(name).toUtf8().constData(), text);
}

void SaveLayout(QWidget* widget, const char* name, const QString& text) {
  const QVariant saved = widget->property(Stored(name).toUtf8().constData());
  if (saved.isValid() && saved.toString() == text) return;
  // A settings file that cannot be read whole is left as it is: a layout is not worth it.
  if (!SettingsReadableWhole()) return;
  if (WriteDesktopValue(name, text)) RememberLayout(widget, name, text);
}

std::optional<QString> ReadDesktopValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  std::optional<QString> result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::string data(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
      data.resize(std::min<size_t>(size, data.find('\0')));
      result = QString::fromUtf8(data);
    }
  }
  RegCloseKey(key);
  return result;
}

bool WriteDesktopValue(const char* name, const QString& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDesktopKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return false;
  const QByteArray data = value.toUtf8();
  const bool ok = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.constData()),
                                 static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

QString ExtractionFolder() {
  const std::optional<QString> folder = ReadDesktopValue(kFolderValue);
  if (folder && !folder->isEmpty() && QFileInfo(*folder).isDir()) return *folder;
  return QDir::currentPath();
}

void SetExtractionFolder(const QString& folder) { WriteDesktopValue(kFolderValue, folder); }

QStringList RecentSets() {
  QStringList sets = ReadDesktopValue(kRecentValue).value_or(QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  while (sets.size() > kRecentSetCount) sets.removeLast();
  return sets;
}

void AddRecentSet(const QString& dir) {
  QStringList sets = RecentSets();
  sets.removeAll(dir);
  sets.prepend(dir);
  while (sets.size() > kRecentSetCount) sets.removeLast();
  WriteDesktopValue(kRecentValue, sets.join(QLatin1Char('\n')));
}

QString WindowGeometryText(const QWidget* window) {
  const QRect r = window->geometry();
  const QScreen* screen = window->screen();
  return QStringLiteral("%1|%2,%3,%4,%5")
      .arg(screen ? screen->name() : QString())
      .arg(r.x())
      .arg(r.y())
      .arg(r.width())
      .arg(r.height());
}

void RestoreWindowGeometry(QWidget* window, const char* name) {
  const QString text = ReadDesktopValue(name).value_or(QString());
  const QString screenName = text.section(QLatin1Char('|'), 0, -2);
  const QStringList numbers = text.section(QLatin1Char('|'), -1).split(QLatin1Char(','));
  std::vector<int> v;
  for (const QString& n : numbers) {
    bool ok = false;
    v.push_back(n.toInt(&ok));
    if (!ok) v.clear();
    if (!ok) break;
  }
  if (v.size() == 4 && v[2] >= 100 && v[3] >= 100 && v[2] <= 20000 && v[3] <= 20000) {
    const QRect r(v[0], v[1], v[2], v[3]);
    for (QScreen* screen : QGuiApplication::screens())
      if (screen->name() == screenName && screen->geometry().intersects(r)) {
        window->setGeometry(r);
        break;
      }
  }
  RememberLayout(window, name, WindowGeometryText(window));
}

void SaveWindowGeometry(QWidget* window, const char* name) { SaveLayout(window, name, WindowGeometryText(window)); }

QString ColumnsText(const CSoundListCtrl* list) {
  const QHeaderView* header = list->horizontalHeader();
  QStringList parts;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    parts << QStringLiteral("%1:%2").arg(logical).arg(header->sectionSize(logical));
  }
  return parts.join(QLatin1Char(','));
}

void RestoreColumns(CSoundListCtrl* list, const char* name) {
  QHeaderView* header = list->horizontalHeader();
  const QStringList parts = ReadDesktopValue(name).value_or(QString()).split(QLatin1Char(','));
  std::vector<std::pair<int, int>> columns;
  std::vector<bool> seen(header->count(), false);
  for (const QString& part : parts) {
    bool okIndex = false, okWidth = false;
    const int logical = part.section(QLatin1Char(':'), 0, 0).toInt(&okIndex);
    const int width = part.section(QLatin1Char(':'), 1).toInt(&okWidth);
    if (!okIndex || !okWidth || logical < 0 || logical >= header->count() || seen[logical] || width < 1 || width > 5000)
      break;
    seen[logical] = true;
    columns.emplace_back(logical, width);
  }
  if (!columns.empty() && columns.size() == seen.size())
    for (size_t visual = 0; visual < columns.size(); ++visual) {
      header->moveSection(header->visualIndex(columns[visual].first), static_cast<int>(visual));
      header->resizeSection(columns[visual].first, columns[visual].second);
    }
  RememberLayout(list, name, ColumnsText(list));
}

void SaveColumns(CSoundListCtrl* list, const char* name) { SaveLayout(list, name, ColumnsText(list)); }

void ResetColumns(CSoundListCtrl* list) {
  QHeaderView* header = list->horizontalHeader();
  const std::vector<ColumnKind>& kinds = list->GetColumnKinds();
  for (int logical = 0; logical < header->count(); ++logical) {
    header->moveSection(header->visualIndex(logical), logical);
    if (logical < static_cast<int>(kinds.size()))
      if (const SoundListColumn* column = GetColumn(kinds[logical])) header->resizeSection(logical, column->width);
  }
}
