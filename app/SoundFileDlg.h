// The "Sound File" dialog: what one stored sound holds, as text and as a picture.
#pragma once

#include <QDialog>

class CSoundListModel;
struct SoundListItem;

class CSoundFileDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 143;
  enum { IDC_TAB = 1034 };

  // A modeless window owned by `owner`, which it asks to close it with ID_CLOSE_CHILD.
  explicit CSoundFileDlg(QWidget* owner);
  // Shows the sound file of `item` (null: none) of the model's catalogue.
  void SetSound(const CSoundListModel* model, const SoundListItem* item);

 protected:
  void closeEvent(QCloseEvent* event) override;
};
