// The "Sound File" dialog: what one stored sound holds, as text and as a picture.
#pragma once

#include <QDialog>

#include "export/SoundFileInfo.h"
#include "views/SoundListModel.h"

class CTabCtrl;
class CWaveformView;
class QTableWidget;
class QToolButton;

class CSoundFileDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 143;
  enum { IDC_TAB = 1034 };

  // A modeless window owned by `owner`, which it asks to close it with ID_CLOSE_CHILD.
  explicit CSoundFileDlg(QWidget* owner);
  // Shows the sound file of `item` (null: none) of the model's catalogue.
  void SetSound(const CSoundListModel* model, const SoundListItem* item);
  QWidget* Page(int index) const;

  CTabCtrl* m_tab = nullptr;
  QWidget* m_formatPage = nullptr;
  QWidget* m_waveformPage = nullptr;
  QTableWidget* m_table = nullptr;      // "Format": field and value
  CWaveformView* m_waveform = nullptr;  // "Waveform"
  QToolButton* m_play = nullptr;
  QToolButton* m_stop = nullptr;
  const CSoundListModel* m_pModel = nullptr;
  SoundListItem m_item{};
  SoundFileInfo m_info;

 public slots:
  // The context menu's Play and Stop for the shown sound.
  void OnPlay();
  void OnStop();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillFormatTable(const StoredSoundBytes& sound);
  void AddRow(const QString& field, const QString& value);
};
