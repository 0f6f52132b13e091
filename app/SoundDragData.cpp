#include "app/SoundDragData.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "app/ProgressDlg.h"
#include "export/SoundExport.h"

namespace {

const QString kUriList = QStringLiteral("text/uri-list");
const QString kPlainText = QStringLiteral("text/plain");
const QString kPlainUtf8 = QStringLiteral("text/plain;charset=utf-8");
// The file-name list of GNOME's file manager and the URI list of KDE's.
const QString kGnomeFiles = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeUris = QStringLiteral("application/x-kde4-urilist");

// Drag folders of earlier runs that a drop target has surely finished with.
void RemoveOldDragFolders(const QString& base) {
  const QDateTime limit = QDateTime::currentDateTime().addDays(-1);
  for (const QFileInfo& info : QDir(base).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
    if (info.lastModified() < limit) QDir(info.absoluteFilePath()).removeRecursively();
}

}  // namespace

CSoundDragData::CSoundDragData(const CSoundListModel* model, std::vector<int64_t> rows)
    : m_model(model), m_rows(std::move(rows)) {}

QString CSoundDragData::DragFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/drag");
}

QStringList CSoundDragData::formats() const { return {kUriList, kKdeUris, kGnomeFiles, kPlainUtf8, kPlainText}; }

bool CSoundDragData::hasFormat(const QString& mimeType) const { return formats().contains(mimeType); }

const QStringList& CSoundDragData::WriteFiles() const {
  if (m_written || !m_model) return m_files;
  m_written = true;
  const QString base = DragFolder();
  if (!QDir().mkpath(base)) return m_files;
  RemoveOldDragFolders(base);
  QTemporaryDir folder(base + QStringLiteral("/XXXXXX"));
  if (!folder.isValid()) return m_files;
  folder.setAutoRemove(false);

  std::unique_ptr<CProgressDlg> progress;
  if (m_rows.size() >= kDragProgressRows) {
    progress = std::make_unique<CProgressDlg>(nullptr);
    progress->Create();
    progress->SetWindowText("Extract Progress");
    progress->show();
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const ExtractReport report = ExtractRows(*m_model, m_rows, false, progress.get(), folder.path().toStdString());
  QApplication::restoreOverrideCursor();
  if (progress) progress->close();
  for (const std::string& file : report.files) m_files << QString::fromStdString(file);
  return m_files;
}

QVariant CSoundDragData::retrieveData(const QString& mimeType, QMetaType type) const {
  if (!hasFormat(mimeType)) return QMimeData::retrieveData(mimeType, type);
  const QStringList& files = WriteFiles();
  QStringList uris, lines;
  QVariantList urls;
  for (const QString& file : files) {
    urls << QUrl::fromLocalFile(file);
    uris << QString::fromUtf8(urls.back().toUrl().toEncoded());
    lines << file;
  }
  // QMimeData::urls() asks for a list.
  if (mimeType == kUriList && type.id() == QMetaType::QVariantList) return urls;
  if (mimeType == kUriList || mimeType == kKdeUris) return QString(uris.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
  if (mimeType == kGnomeFiles) return QString(QStringLiteral("copy\n") + uris.join(QLatin1Char('\n'))).toUtf8();
  return lines.join(QLatin1Char('\n')).toUtf8();
}
