// The main window: the "Sounds" and "Tags" pages on a tab control.
#pragma once

#include <QDialog>
#include <QIcon>
#include <functional>

class CTabCtrl;
class CTagTreePage;
class CSoundListPage;
class QToolButton;
class CMetaSoundDlg;
struct SoundListItem;
class IMetafileDialog;
class QMenu;

// Starts another run of the program on a metafile directory; false when it cannot start.
using SetLauncher = std::function<bool(const QString& dir)>;

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
  // "&Open Set...": the metafile dialog until a usable directory is picked or it is
  // cancelled; the set opens in a program of its own and joins the recent sets.
  void OpenSet();
  // Opens a set's directory through the launcher and puts it first among the recent sets.
  void LaunchSet(const QString& dir);
  // "Extraction &Folder...": the folder dialog for where Extract writes.
  void ChooseExtractionFolder();
  // "Reset Layout": the default size, columns and tab.
  void ResetLayout();
  // Writes what of the layout has changed since it was restored.
  void SaveLayout();

  // Where Open Set gets its directory and how a set is opened; the defaults are the
  // start-up's file dialog and a new process of this program.
  IMetafileDialog* m_pSetDialog = nullptr;
  SetLauncher m_launcher;
  QMenu* m_recentMenu = nullptr;

 private:
  bool m_bShown = false;

 public:

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
  void done(int result) override;
  void showEvent(QShowEvent* event) override;
  void OnSelChanging(int index);
  void OnSelChange(int index);

 private:
  void Refit();
  void FillRecentMenu();
  void RestoreLayout();
  QWidget* Page(int index) const;
};
