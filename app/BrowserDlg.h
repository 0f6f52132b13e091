// The main window: the "Sounds" and "Tags" pages on a tab control.
#pragma once

#include <QDialog>
#include <QIcon>

class CTabCtrl;
class CTagTreePage;
class CSoundListPage;
class QToolButton;
class CMetaSoundDlg;
struct SoundListItem;

// The About entry's command id and text (string 101).
inline constexpr int IDM_ABOUTBOX = 0x0010;
inline constexpr const char kAboutEntry[] = "&About Quarn Vantor...";

class CBrowserDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 102;
  enum { IDC_TAB = 1000 };

  explicit CBrowserDlg(QWidget* parent = nullptr);
  ~CBrowserDlg() override;

  // The page rectangle in the tab control's client coordinates.
  QRect GetPageRect() const;
  // The About box, as the About entry runs it.
  void OnAbout();
  // Opens the Meta Sound dialog (once) and shows the row's record in it (null: none).
  void ShowMetaSound(const SoundListItem* item);
  // Destroys the Meta Sound dialog, if there is one.
  void CloseMetaSound();

  CTabCtrl* m_tab = nullptr;
  QIcon m_hIcon;
  CTagTreePage* m_tagsPage = nullptr;
  CSoundListPage* m_soundsPage = nullptr;
  QToolButton* m_menuButton = nullptr;
  CMetaSoundDlg* m_pMetaSound = nullptr;

 public slots:
  // ID_CLOSE_CHILD: the Meta Sound dialog asks to be closed.
  void OnCommand(int id);

 protected:
  bool OnInitDialog();
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void OnSelChanging(int index);
  void OnSelChange(int index);

 private:
  void Refit();
  QWidget* Page(int index) const;
};
