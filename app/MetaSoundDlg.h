// The Meta Sound dialog: the metafile records behind one row of the main list, on four pages.
#pragma once

#include <QDialog>

#include "views/SoundListModel.h"

class CTabCtrl;
class CMetaSoundsPage;
class CReferencesPage;
class CUnknownDataPage;
class CFileReferencesPage;
class CSoundFileDlg;

class CMetaSoundDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 138;
  enum { IDC_TAB = 1030 };

  // A modeless window owned by the main window.
  explicit CMetaSoundDlg(QWidget* owner);
  ~CMetaSoundDlg() override;

  // Shows the record of `item` (null: none) on every page.
  void SetSound(const SoundListItem* item);
  // Opens the Sound File dialog on a row of the "Sounds" page, or shows it there.
  void ShowSoundFile(const CSoundListModel* model, const SoundListItem* item);
  QWidget* Page(int index) const;

  CTabCtrl* m_tab = nullptr;
  SoundListItem m_item{};
  CMetaSoundsPage* m_soundsPage = nullptr;
  CReferencesPage* m_referencesPage = nullptr;
  CUnknownDataPage* m_unknownPage = nullptr;
  CFileReferencesPage* m_fileReferencesPage = nullptr;
  CSoundFileDlg* m_pChild = nullptr;

 public slots:
  // ID_CLOSE_CHILD: closes the child dialog.
  void OnCommand(int id);

 protected:
  bool OnInitDialog();
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CloseChild();
};
