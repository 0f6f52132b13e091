#include "app/BrowserDlg.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QMenu>
#include <QShortcut>
#include <QGuiApplication>
#include <QPainter>
#include <QTabBar>
#include <QToolButton>

#include <QCloseEvent>
#include <utility>
#include <QCoreApplication>
#include <QFileDialog>
#include <QProcess>

#include "app/AboutDlg.h"
#include "app/MetaSoundDlg.h"
#include "platform/MessageBox.h"
#include "views/ListCommands.h"
#include "app/AppIcon.h"
#include "app/BrowserApp.h"
#include "app/DialogUnits.h"
#include "app/SoundListPage.h"
#include "app/TabCtrl.h"
#include "app/TagTreePage.h"
#include "app/DesktopSettings.h"
#include "app/MetafileFileDialog.h"
#include "app/MetaSoundPages.h"
#include "catalogue/MetafileLocator.h"
#include "views/SoundListCtrl.h"

namespace {
// Three bars, for desktops whose icon theme has no menu icon.
QIcon MenuIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QGuiApplication::palette().color(QPalette::ButtonText));
  for (int y : {3, 7, 11}) painter.drawRect(2, y, 12, 2);
  return QIcon(pixmap);
}
constexpr char kMainWindowValue[] = "Main Window";
constexpr char kTabValue[] = "Tab";

QByteArray ColumnsValue(const CSoundListCtrl* list) { return "Columns " + list->objectName().toUtf8(); }

// The lists of the Meta Sound dialog, whose column layout is kept by the list's name.
std::vector<CSoundListCtrl*> MetaSoundLists(const CMetaSoundDlg* dlg) {
  return {dlg->m_soundsPage->m_list, dlg->m_referencesPage->m_list, dlg->m_fileReferencesPage->m_list};
}

bool StartProgram(const QString& dir) {
  return QProcess::startDetached(QCoreApplication::applicationFilePath(), {dir});
}
}  // namespace

CBrowserDlg::CBrowserDlg(QWidget* parent) : QDialog(parent), m_hIcon(LoadAppIcon()) {
  // Caption, system menu, sizing border, minimise and maximise boxes.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(kAppTitle));
  setFont(DialogFont());
  setSizeGripEnabled(false);
  const CDialogUnits du(font());
  resize(du.Size(440, 316));
  m_tab = new CTabCtrl(this);
  m_tab->setObjectName(QStringLiteral("tab"));
  m_tab->setGeometry(du.Rect(0, 0, 440, 316));
  m_launcher = StartProgram;
  OnInitDialog();
  RestoreLayout();
}

CBrowserDlg::~CBrowserDlg() { CloseMetaSound(); }

void CBrowserDlg::RestoreLayout() {
  RestoreWindowGeometry(this, kMainWindowValue);
  RestoreColumns(m_soundsPage->m_list, ColumnsValue(m_soundsPage->m_list).constData());
  if (ReadDesktopValue(kTabValue).value_or(QString()) == QStringLiteral("1")) m_tab->SetCurSel(1);
  RememberLayout(this, kTabValue, QString::number(m_tab->GetCurSel()));
}

void CBrowserDlg::SaveLayout() {
  SaveWindowGeometry(this, kMainWindowValue);
  SaveColumns(m_soundsPage->m_list, ColumnsValue(m_soundsPage->m_list).constData());
  ::SaveLayout(this, kTabValue, QString::number(m_tab->GetCurSel()));
}

void CBrowserDlg::ResetLayout() {
  resize(CDialogUnits(font()).Size(440, 316));
  ResetColumns(m_soundsPage->m_list);
  m_tab->SetCurSel(0);
  if (m_pMetaSound) {
    for (CSoundListCtrl* list : MetaSoundLists(m_pMetaSound)) ResetColumns(list);
  } else {
    for (const char* name : {"Columns files", "Columns references", "Columns fileReferences"})
      if (ReadDesktopValue(name)) WriteDesktopValue(name, QString());
  }
}

void CBrowserDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Placed now (centred when nothing was restored): only a later change is the user's.
  if (!std::exchange(m_bShown, true)) RememberLayout(this, kMainWindowValue, WindowGeometryText(this));
}

void CBrowserDlg::done(int result) {
  CloseMetaSound();
  SaveLayout();
  QDialog::done(result);
}

void CBrowserDlg::OpenSet() {
  CMetafileFileDialog fileDialog;
  IMetafileDialog* dialog = m_pSetDialog ? m_pSetDialog : &fileDialog;
  for (std::string chosen; dialog->DoModal(chosen);) {
    std::string dir;
    if (ProbeChosenPath(chosen.c_str(), dir)) return LaunchSet(QString::fromStdString(dir));
  }
}

void CBrowserDlg::LaunchSet(const QString& dir) {
  if (!m_launcher || !m_launcher(dir)) {
    AfxMessageBox(("Cannot start a new window for " + dir.toStdString()).c_str(), MB_ICONEXCLAMATION);
    return;
  }
  AddRecentSet(dir);
}

void CBrowserDlg::ChooseExtractionFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Extraction Folder"), ExtractionFolder());
  if (!folder.isEmpty()) SetExtractionFolder(folder);
}

void CBrowserDlg::FillRecentMenu() {
  m_recentMenu->clear();
  const QStringList sets = RecentSets();
  for (const QString& dir : sets)
    connect(m_recentMenu->addAction(dir), &QAction::triggered, this, [this, dir] { LaunchSet(dir); });
  if (sets.isEmpty()) m_recentMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

bool CBrowserDlg::OnInitDialog() {
  // The About entry: a menu button at the end of the tabs, and F1.
  const QString about = QString::fromUtf8(kAboutEntry);
  if (!about.isEmpty()) {
    auto* menu = new QMenu(this);
    auto* action = new QAction(QIcon::fromTheme(QStringLiteral("help-about")), about, menu);
    action->setData(IDM_ABOUTBOX);
    action->setShortcut(QKeySequence(Qt::Key_F1));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, &CBrowserDlg::OnAbout);
    QAction* openSet = menu->addAction(QIcon::fromTheme(QStringLiteral("document-open")), QStringLiteral("&Open Set..."));
    openSet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openSet->setShortcutContext(Qt::WindowShortcut);
    addAction(openSet);
    connect(openSet, &QAction::triggered, this, &CBrowserDlg::OpenSet);
    m_recentMenu = menu->addMenu(QStringLiteral("Recent Sets"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CBrowserDlg::FillRecentMenu);
    FillRecentMenu();
    menu->addSeparator();
    // Extracted files land in one folder: the chosen one, else the current directory.
    QAction* choose = menu->addAction(QStringLiteral("Extraction &Folder..."));
    connect(choose, &QAction::triggered, this, &CBrowserDlg::ChooseExtractionFolder);
    QAction* folder = menu->addAction(QIcon::fromTheme(QStringLiteral("folder-open")),
                                      QStringLiteral("Open &Extraction Folder"));
    connect(folder, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl::fromLocalFile(ExtractionFolder())); });
    QAction* where = menu->addAction(QString());
    where->setObjectName(QStringLiteral("extractionFolderPath"));
    where->setEnabled(false);
    // Shown as the system writes paths (backslashes on Windows).
    const auto showFolder = [where] { where->setText(QDir::toNativeSeparators(ExtractionFolder())); };
    connect(menu, &QMenu::aboutToShow, where, showFolder);
    showFolder();
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Reset &Layout")), &QAction::triggered, this, &CBrowserDlg::ResetLayout);
    menu->addSeparator();
    menu->addAction(action);
    m_menuButton = new QToolButton;
    m_menuButton->setObjectName(QStringLiteral("menuButton"));
    m_menuButton->setIcon(QIcon::fromTheme(QStringLiteral("open-menu-symbolic"),
                                           QIcon::fromTheme(QStringLiteral("application-menu"), MenuIcon())));
    m_menuButton->setAutoRaise(true);
    m_menuButton->setPopupMode(QToolButton::InstantPopup);
    m_menuButton->setMenu(menu);
    m_menuButton->setToolTip(QStringLiteral("Menu"));
    m_menuButton->setAccessibleName(QStringLiteral("Menu"));
    m_tab->SetCornerWidget(m_menuButton);
  }

  setWindowIcon(m_hIcon);

  m_tab->InsertItem(0, QStringLiteral("Sounds"));
  m_tab->InsertItem(1, QStringLiteral("Tags"));
  connect(m_tab, &CTabCtrl::SelChanging, this, &CBrowserDlg::OnSelChanging);
  connect(m_tab, &CTabCtrl::SelChange, this, &CBrowserDlg::OnSelChange);

  CBrowserApp* app = AfxGetBrowserApp();
  CSoundCatalogue* catalogue = app ? app->m_pCatalogue : nullptr;
  const QRect page = GetPageRect();
  m_soundsPage = new CSoundListPage(m_tab);
  m_soundsPage->Create(catalogue);
  m_soundsPage->setGeometry(page);
  m_soundsPage->show();
  m_tagsPage = new CTagTreePage(m_tab);
  m_tagsPage->Create(catalogue);
  m_tagsPage->setGeometry(page);

  // Tabs by keyboard, wherever the focus is.
  auto next = [this](int delta) {
    const int count = m_tab->GetItemCount();
    if (count > 0) m_tab->SetCurSel((m_tab->GetCurSel() + delta + count) % count);
  };
  for (QKeySequence key : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
    connect(new QShortcut(key, this), &QShortcut::activated, this, [next] { next(1); });
  for (QKeySequence key : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
    connect(new QShortcut(key, this), &QShortcut::activated, this, [next] { next(-1); });
  return true;
}

QRect CBrowserDlg::GetPageRect() const { return m_tab->GetPageRect(); }

QWidget* CBrowserDlg::Page(int index) const {
  switch (index) {
    case 0: return m_soundsPage;
    case 1: return m_tagsPage;
    default: return nullptr;
  }
}

void CBrowserDlg::OnSelChanging(int index) {
  if (QWidget* page = Page(index)) page->hide();
}

void CBrowserDlg::OnSelChange(int index) {
  if (QWidget* page = Page(index)) page->show();
}

void CBrowserDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Refit();
}

void CBrowserDlg::Refit() {
  if (m_tab) m_tab->FitToClient(rect(), {m_soundsPage, m_tagsPage});
}

void CBrowserDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CBrowserDlg::ShowMetaSound(const SoundListItem* item) {
  if (!m_pMetaSound) {
    m_pMetaSound = new CMetaSoundDlg(this);
    for (CSoundListCtrl* list : MetaSoundLists(m_pMetaSound)) RestoreColumns(list, ColumnsValue(list).constData());
    m_pMetaSound->show();
  }
  m_pMetaSound->SetSound(item);
}

void CBrowserDlg::CloseMetaSound() {
  if (!m_pMetaSound) return;
  for (CSoundListCtrl* list : MetaSoundLists(m_pMetaSound)) SaveColumns(list, ColumnsValue(list).constData());
  m_pMetaSound->hide();
  m_pMetaSound->deleteLater();
  m_pMetaSound = nullptr;
}

void CBrowserDlg::OnCommand(int id) {
  if (id == ID_CLOSE_CHILD) CloseMetaSound();
}

void CBrowserDlg::closeEvent(QCloseEvent* event) {
  CloseMetaSound();
  QDialog::closeEvent(event);
}
