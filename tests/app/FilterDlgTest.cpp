// The Filter dialog run modally on a list model, answered the way a user would.
#include <QCheckBox>
#include <QComboBox>
#include <map>
#include <tuple>

#include "app/FilterDlg.h"
#include "tests/app/GuiTestSupport.h"

namespace {

using Entries = std::vector<std::pair<std::string, int>>;
using Settings = std::tuple<uint16_t, uint16_t, uint8_t, int32_t>;  // show, mission, tag, subtag
enum { kMale = CFilterDlg::IDC_SEX_MALE, kM03 = CFilterDlg::IDC_MISSION_03, kOgg = CFilterDlg::IDC_SHOW_OGG };

// Tags 0 "Zeta" (no sub-tags), 1 "+Alpha" (sub-tags "Walk", "run", "Idle"), 2 "!Bang", whose
// name sorts before "(all)".
void WriteTags(MetafileSetWriter& w) {
  w.tags = {{"Zeta", 0, {}}, {"+Alpha", 1, {"Walk", "run", "Idle"}}, {"!Bang", 0, {}}};
  const int record = w.AddRecord(2, MetafileSetWriter::SoundInfo{});
  w.taggedSounds.push_back({{{1, 0}}, MetafileSetWriter::Address::Item(record)});
}

// The check boxes' states by control id.
std::map<int, bool> Checks(CFilterDlg* d) {
  std::map<int, bool> checks;
  for (int id = 1000; id < 1030; ++id)
    if (auto* box = qobject_cast<QCheckBox*>(d->GetDlgItem(id))) checks[id] = box->isChecked();
  return checks;
}
// All fifteen boxes in one state except the ones listed.
std::map<int, bool> AllChecks(bool on, std::initializer_list<int> except = {}) {
  std::map<int, bool> checks;
  for (int id : {1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1022, 1023, 1024, 1025, 1026})
    checks[id] = on;
  for (int id : except) checks[id] = !on;
  return checks;
}

QComboBox* Combo(CFilterDlg* d, int id) { return qobject_cast<QComboBox*>(d->GetDlgItem(id)); }
void Click(CFilterDlg* d, int id) { QTest::mouseClick(d->GetDlgItem(id), Qt::LeftButton); }

Entries ComboEntries(QComboBox* combo) {
  Entries entries;
  for (int i = 0; i < combo->count(); ++i)
    entries.emplace_back(combo->itemText(i).toStdString(), combo->itemData(i).toInt());
  return entries;
}

// Chooses the entry `steps` below the current one with the keyboard.
void Choose(QComboBox* combo, int steps) {
  combo->setFocus();
  for (int i = 0; i < steps; ++i) QTest::keyClick(combo, Qt::Key_Down);
}

// Runs the dialog on `model`; `answer` reads and ends it (a dialog left open is cancelled).
int RunFilter(CSoundListModel* model, const std::function<void(CFilterDlg*)>& answer) {
  CFilterDlg dlg;
  dlg.m_pModel = model;
  AnswerNextModal([&](QWidget* w) {
    auto* d = qobject_cast<CFilterDlg*>(w);
    ASSERT_NE(d, nullptr);
    answer(d);
    if (d->isVisible()) d->reject();
  });
  return dlg.exec();
}

Settings Of(const CSoundListModel& m) { return {m.wShowFlags, m.wMissionFlags, m.nTagFilter, m.nSubtagFilter}; }

}  // namespace

TEST(FilterDlg, FreshModelOpensWithEverythingOnAndChoicesAreStoredAndShownAgain) {
  LoadedApp app(WriteTags);
  CSoundListModel model;
  model.AttachCatalogue(app.m_pCatalogue);
  int result = RunFilter(&model, [](CFilterDlg* d) {
    EXPECT_EQ(Checks(d), AllChecks(true));
    EXPECT_EQ(ComboEntries(Combo(d, CFilterDlg::IDC_TAG)),
              (Entries{{"(all)", -1}, {"!Bang", 2}, {"+Alpha", 1}, {"Zeta", 0}}));
    EXPECT_EQ(ComboEntries(Combo(d, CFilterDlg::IDC_SUBTAG)), (Entries{{"(all)", -1}}));
    EXPECT_EQ(Combo(d, CFilterDlg::IDC_TAG)->currentIndex(), 0);
    EXPECT_EQ(Combo(d, CFilterDlg::IDC_SUBTAG)->currentIndex(), 0);
    Click(d, 1);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(Of(model), Settings(0x001F, 0x03FF, 0xFF, -1));

  // A chosen tag, sub-tag and boxes.
  result = RunFilter(&model, [](CFilterDlg* d) {
    QComboBox* sub = Combo(d, CFilterDlg::IDC_SUBTAG);
    Choose(Combo(d, CFilterDlg::IDC_TAG), 2);
    ASSERT_EQ(Combo(d, CFilterDlg::IDC_TAG)->currentText().toStdString(), "+Alpha");
    EXPECT_EQ(ComboEntries(sub), (Entries{{"(all)", -1}, {"Idle", 2}, {"run", 1}, {"Walk", 0}}));
    EXPECT_EQ(sub->currentIndex(), 0);
    Choose(sub, 2);
    for (int id : {kMale, kM03, kOgg}) Click(d, id);
    Click(d, 1);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(Of(model), Settings(0x001D, 0x03DD, 1, 1));

  // Opened again, the dialog shows what was stored; a tag without sub-tags offers only "(all)"
  // and stores (tag, -1).
  result = RunFilter(&model, [](CFilterDlg* d) {
    EXPECT_EQ(Combo(d, CFilterDlg::IDC_TAG)->currentText().toStdString(), "+Alpha");
    EXPECT_EQ(Combo(d, CFilterDlg::IDC_SUBTAG)->currentText().toStdString(), "run");
    EXPECT_EQ(Checks(d), AllChecks(true, {kMale, kM03, kOgg}));
    Choose(Combo(d, CFilterDlg::IDC_TAG), 1);
    EXPECT_EQ(ComboEntries(Combo(d, CFilterDlg::IDC_SUBTAG)), (Entries{{"(all)", -1}}));
    Click(d, 1);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(Of(model), Settings(0x001D, 0x03DD, 0, -1));
}

TEST(FilterDlg, DefaultsThenCancelEscapeOrCloseBoxStoresNothing) {
  LoadedApp app(WriteTags);
  const std::pair<const char*, std::function<void(CFilterDlg*)>> ways[] = {
      {"Cancel", [](CFilterDlg* d) { Click(d, 2); }},
      {"Escape", [](CFilterDlg* d) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
      {"close box", [](CFilterDlg* d) { d->close(); }},
  };
  for (const auto& [name, close] : ways) {
    SCOPED_TRACE(name);
    CSoundListModel model;
    model.AttachCatalogue(app.m_pCatalogue);
    model.SetShowFlags(1, static_cast<uint16_t>(~SHOW_TAGGED));
    model.SetMissionFlags(1, static_cast<uint16_t>(~0x000A));
    model.SetTagFilter(0, SoundTagPair{1, 2});
    const Settings before = Of(model);
    const int result = RunFilter(&model, [&](CFilterDlg* d) {
      EXPECT_EQ(Checks(d), AllChecks(false, {CFilterDlg::IDC_SHOW_TAGGED, kMale, CFilterDlg::IDC_MISSION_01}));
      EXPECT_EQ(Combo(d, CFilterDlg::IDC_SUBTAG)->currentText().toStdString(), "Idle");
      Click(d, CFilterDlg::IDC_DEFAULTS);
      EXPECT_EQ(Checks(d), AllChecks(true));
      EXPECT_EQ(Combo(d, CFilterDlg::IDC_TAG)->currentIndex(), 0);
      EXPECT_EQ(ComboEntries(Combo(d, CFilterDlg::IDC_SUBTAG)), (Entries{{"(all)", -1}}));
      ASSERT_NE(QApplication::focusWidget(), nullptr);
      close(d);
      EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Of(model), before);
  }

  // Without a model every box stays unchecked and OK stores nothing.
  EXPECT_EQ(RunFilter(nullptr,
                      [](CFilterDlg* d) {
                        EXPECT_EQ(Checks(d), AllChecks(false));
                        Click(d, 1);
                      }),
            QDialog::Rejected);
}
