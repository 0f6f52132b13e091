#include "app/FilterDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/BrowserApp.h"
#include "app/DialogUnits.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/SoundTags.h"
#include "views/QtText.h"
#include "views/SoundListModel.h"

const CFilterDlg::FlagBox CFilterDlg::kShowBoxes[5] = {
    {IDC_SHOW_MISSING, SHOW_MISSING}, {IDC_SHOW_OGG, SHOW_OGG},         {IDC_SHOW_WAV, SHOW_WAV},
    {IDC_SHOW_TAGGED, SHOW_TAGGED},   {IDC_SHOW_MISSION, SHOW_MISSION},
};

const CFilterDlg::FlagBox CFilterDlg::kMissionBoxes[10] = {
    {IDC_SEX_MALE, 0x0002},   {IDC_SEX_FEMALE, 0x0004},    {IDC_SEX_OTHER, 0x0001},  {IDC_MISSION_01, 0x0008},
    {IDC_MISSION_02, 0x0010}, {IDC_MISSION_03, 0x0020},    {IDC_MISSION_04, 0x0040}, {IDC_MISSION_05, 0x0080},
    {IDC_MISSION_06, 0x0100}, {IDC_MISSION_OTHER, 0x0200},
};

namespace {

const QString kAll = QStringLiteral("(all)");

const CSMSoundTagTable* TagTable() {
  CBrowserApp* app = AfxGetBrowserApp();
  return (app && app->m_pCatalogue) ? &app->m_pCatalogue->m_soundTags : nullptr;
}

// A sorted drop-down list whose entry 0 is always "(all)": other entries are inserted in
// case-insensitive order after it, equal texts in the order they come.
void AddSorted(QComboBox* combo, const QString& text, int data) {
  int lo = 1, hi = combo->count();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (QString::compare(combo->itemText(mid), text, Qt::CaseInsensitive) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  combo->insertItem(lo, text, data);
}

int FindData(const QComboBox* combo, int data) {
  for (int i = 0; i < combo->count(); ++i)
    if (combo->itemData(i).toInt() == data) return i;
  return -1;
}

}  // namespace

CFilterDlg::CFilterDlg(QWidget* parent) : QDialog(parent) {
  // Caption, system menu and close box on a fixed frame.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Filter"));
  setFont(DialogFont());
  const CDialogUnits du(font());
  setFixedSize(du.Size(182, 218));

  // Controls in template order, which is also the tab order; a text that needs more room than
  // its template width grows up to the right edge of its group.
  auto group = [&](int id, int x, int y, int cx, int cy, const char* text) {
    auto* box = new QGroupBox(QString::fromLatin1(text), this);
    box->setGeometry(du.Rect(x, y, cx, cy));
    if (id) m_items.insert(id, box);
  };
  auto check = [&](int id, int x, int y, int cx, int groupRight, const char* text) {
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    QRect r = du.Rect(x, y, cx, 10);
    r.setWidth(qBound(r.width(), box->sizeHint().width(), du.X(groupRight) - r.left()));
    box->setGeometry(r);
    m_items.insert(id, box);
  };
  auto label = [&](int x, int y, int cx, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(du.Rect(x, y, cx, 10));
  };
  auto combo = [&](int id, int x, int y, int cx, int cyDropped) {
    auto* cb = new QComboBox(this);
    const int height = cb->sizeHint().height();
    cb->setGeometry(du.X(x), du.Y(y), du.X(cx), height);
    const int itemHeight = qMax(1, cb->fontMetrics().height());
    cb->setMaxVisibleItems(qMax(1, (du.Y(cyDropped) - height) / itemHeight));
    m_items.insert(id, cb);
    return cb;
  };
  auto button = [&](int id, int x, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), this);
    b->setGeometry(du.Rect(x, 202, 50, 14));
    m_items.insert(id, b);
    return b;
  };

  group(1006, 3, 2, 176, 66, "Tagged Sounds");
  check(IDC_SHOW_TAGGED, 11, 15, 87, 177, "Show Tagged Sounds");
  label(11, 34, 36, "Tag");
  m_cbTag = combo(IDC_TAG, 51, 32, 122, 141);
  label(11, 50, 36, "Subtag");
  m_cbSubtag = combo(IDC_SUBTAG, 51, 48, 122, 120);
  group(1005, 3, 70, 176, 78, "Mission Sounds");
  check(IDC_SHOW_MISSION, 11, 84, 84, 177, "Show Mission Sounds");
  group(0, 9, 98, 50, 44, "Sex");
  check(IDC_SEX_MALE, 17, 108, 40, 57, "Male");
  check(IDC_SEX_FEMALE, 17, 118, 40, 57, "Female");
  check(IDC_SEX_OTHER, 17, 128, 40, 57, "Other");
  group(0, 63, 98, 110, 44, "Mission");
  check(IDC_MISSION_01, 71, 108, 28, 103, "m01");
  check(IDC_MISSION_02, 71, 118, 28, 103, "m02");
  check(IDC_MISSION_03, 71, 128, 28, 103, "m03");
  check(IDC_MISSION_04, 103, 108, 28, 135, "m04");
  check(IDC_MISSION_05, 103, 118, 28, 135, "m05");
  check(IDC_MISSION_06, 103, 128, 28, 135, "m06");
  check(IDC_MISSION_OTHER, 135, 108, 33, 171, "Other");
  group(0, 3, 150, 176, 48, "General");
  check(IDC_SHOW_MISSING, 11, 162, 75, 177, "Show Missing Files");
  check(IDC_SHOW_OGG, 11, 172, 76, 177, "Show OGG Files");
  check(IDC_SHOW_WAV, 11, 182, 76, 177, "Show WAV Files");
  QPushButton* ok = button(1, 3, "OK");
  QPushButton* defaults = button(IDC_DEFAULTS, 64, "Defaults");
  QPushButton* cancel = button(2, 129, "Cancel");
  ok->setDefault(true);

  connect(ok, &QPushButton::clicked, this, &CFilterDlg::accept);
  connect(defaults, &QPushButton::clicked, this, &CFilterDlg::OnDefaults);
  connect(cancel, &QPushButton::clicked, this, &CFilterDlg::reject);
  // A choice by the user (mouse, keys or wheel), not the dialog's own selections.
  connect(m_cbTag, &QComboBox::activated, this, &CFilterDlg::FillSubtagCombo);
}

void CFilterDlg::showEvent(QShowEvent* event) {
  if (!m_bInitialized) {
    m_bInitialized = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

bool CFilterDlg::OnInitDialog() {
  FillTagCombo();
  if (!m_pModel) return true;

  CheckBoxes(kShowBoxes, 5, m_pModel->wShowFlags);
  CheckBoxes(kMissionBoxes, 10, m_pModel->wMissionFlags);
  m_cbTag->setCurrentIndex(qMax(0, FindData(m_cbTag, m_pModel->nTagFilter)));
  FillSubtagCombo();
  m_cbSubtag->setCurrentIndex(qMax(0, FindData(m_cbSubtag, m_pModel->nSubtagFilter)));
  return true;
}

void CFilterDlg::FillTagCombo() {
  m_cbTag->clear();
  m_cbTag->addItem(kAll, -1);
  if (const CSMSoundTagTable* tags = TagTable())
    for (int32_t i = 0; i < tags->GetCount(); ++i) AddSorted(m_cbTag, FromCp1252((*tags)[i].GetSubName(-1)), i);
  m_cbTag->setCurrentIndex(0);
  FillSubtagCombo();
}

void CFilterDlg::FillSubtagCombo() {
  const CSMSoundTagTable* tags = TagTable();
  const CSMSoundTag* tag = nullptr;
  if (m_cbTag->currentIndex() >= 0 && tags) {
    const int index = m_cbTag->currentData().toInt();
    if (index >= 0 && index < tags->GetCount()) tag = &(*tags)[index];
  }
  m_cbSubtag->clear();
  m_cbSubtag->addItem(kAll, -1);
  if (tag)
    for (int j = 0; j < tag->m_nSubCount; ++j) AddSorted(m_cbSubtag, FromCp1252(tag->GetSubName(j)), j);
  m_cbSubtag->setCurrentIndex(0);
}

void CFilterDlg::OnDefaults() {
  CheckBoxes(kShowBoxes, 5, 0xFFFF);
  m_cbTag->setCurrentIndex(0);
  FillSubtagCombo();
  CheckBoxes(kMissionBoxes, 10, 0xFFFF);
}

void CFilterDlg::accept() {
  if (!m_pModel) {
    reject();
    return;
  }
  const uint16_t show = CollectMask(kShowBoxes, 5);
  m_pModel->SetShowFlags(1, static_cast<uint16_t>(~show));
  m_pModel->SetShowFlags(0, show);

  if (m_cbTag->currentIndex() <= 0) {
    m_pModel->SetTagFilter(1, SoundTagPair{0xFF, -1});
  } else {
    const auto tag = static_cast<uint8_t>(m_cbTag->currentData().toInt());
    const int32_t subtag = m_cbSubtag->currentIndex() > 0 ? m_cbSubtag->currentData().toInt() : -1;
    m_pModel->SetTagFilter(0, SoundTagPair{tag, subtag});
  }

  const uint16_t mission = CollectMask(kMissionBoxes, 10);
  m_pModel->SetMissionFlags(1, static_cast<uint16_t>(~mission));
  m_pModel->SetMissionFlags(0, mission);
  QDialog::accept();
}

QCheckBox* CFilterDlg::Box(int id) const { return static_cast<QCheckBox*>(m_items.value(id)); }

uint16_t CFilterDlg::CollectMask(const FlagBox* boxes, int count) const {
  uint16_t mask = 0;
  for (int i = 0; i < count; ++i)
    if (Box(boxes[i].id)->checkState() == Qt::Checked) mask |= boxes[i].bit;
  return mask;
}

void CFilterDlg::CheckBoxes(const FlagBox* boxes, int count, uint16_t flags) {
  for (int i = 0; i < count; ++i) Box(boxes[i].id)->setChecked((flags & boxes[i].bit) != 0);
}
