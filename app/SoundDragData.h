// The data of a drag out of a sound list: one file per sound of the dragged rows, as Extract
// writes them (PCM WAVE, Ogg Vorbis as stored), offered as a URI list and as file names.
// The files are written into a fresh folder below the program's cache folder the first time
// the drop target asks for the data, never before.
#pragma once

#include <QMimeData>
#include <QStringList>
#include <vector>

#include "views/SoundListModel.h"

// Rows at least this many get a progress window while their files are written.
inline constexpr size_t kDragProgressRows = 16;

class CSoundDragData : public QMimeData {
 public:
  CSoundDragData(const CSoundListModel* model, std::vector<int64_t> rows);

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;
  // The files written so far (none until the data was first asked for).
  const QStringList& Files() const { return m_files; }
  // Writes the files, once; the paths written.
  const QStringList& WriteFiles() const;

  // The folder below the cache folder that drags write into.
  static QString DragFolder();

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  const CSoundListModel* m_model;
  std::vector<int64_t> m_rows;
  mutable bool m_written = false;
  mutable QStringList m_files;
};
