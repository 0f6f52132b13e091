// The Filter dialog of a sound list's model: kinds of sounds, tag and sub-tag, sexes and
// missions, and kinds of files. The model changes only on OK.
#pragma once

#include <QDialog>
#include <QHash>
#include <cstdint>

class CSoundListModel;
class CSMSoundTag;
class QComboBox;
class QCheckBox;

class CFilterDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 133;
  enum {
    IDC_SEX_MALE = 1007,
    IDC_SEX_FEMALE = 1008,
    IDC_MISSION_01 = 1009,
    IDC_MISSION_02 = 1010,
    IDC_MISSION_03 = 1011,
    IDC_MISSION_04 = 1012,
    IDC_MISSION_05 = 1013,
    IDC_MISSION_06 = 1014,
    IDC_SEX_OTHER = 1015,
    IDC_MISSION_OTHER = 1016,
    IDC_TAG = 1020,
    IDC_SUBTAG = 1021,
    IDC_SHOW_MISSION = 1022,
    IDC_SHOW_TAGGED = 1023,
    IDC_SHOW_MISSING = 1024,
    IDC_SHOW_OGG = 1025,
    IDC_SHOW_WAV = 1026,
    IDC_DEFAULTS = 1027,
  };

  explicit CFilterDlg(QWidget* parent = nullptr);

  // The control with a template id (IDOK 1, IDCANCEL 2, or one of the above), or null.
  QWidget* GetDlgItem(int nID) const { return m_items.value(nID); }

  CSoundListModel* m_pModel = nullptr;  // not owned; set by the caller before exec

 protected:
  // Runs once, at the first show: the model is known by then.
  void showEvent(QShowEvent* event) override;
  bool OnInitDialog();
  // OK: stores the settings into the model (without a model it acts as Cancel).
  void accept() override;

 private:
  struct FlagBox {
    int id;
    uint16_t bit;
  };
  static const FlagBox kShowBoxes[5];
  static const FlagBox kMissionBoxes[10];

  void FillTagCombo();
  void FillSubtagCombo();
  void OnDefaults();
  QCheckBox* Box(int id) const;
  uint16_t CollectMask(const FlagBox* boxes, int count) const;
  void CheckBoxes(const FlagBox* boxes, int count, uint16_t flags);

  QComboBox* m_cbSubtag = nullptr;
  QComboBox* m_cbTag = nullptr;
  QHash<int, QWidget*> m_items;
  bool m_bInitialized = false;
};
