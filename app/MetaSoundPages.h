// The list pages of the Meta Sound dialog: the shown record's sound files, the sounds that use
// the record, and the sound files that share its data. Each has a model of its own.
#pragma once

#include "app/ListPage.h"
#include "views/SoundListModel.h"

class CMetaSoundDlg;

class CMetaSoundListPage : public CListPage {
  Q_OBJECT
 public:
  CMetaSoundListPage(QWidget* parent, uint32_t routes);
  // Fills the list for the dialog's shown row.
  virtual void Refresh() = 0;

  CSoundListModel m_model;

 protected:
  // The dialog is the page's parent's parent (page, tab control, dialog).
  CMetaSoundDlg* GetDialog() const;
  const SoundListItem& ShownRow() const;
  // Subclasses the list, attaches the model like the main one, then the columns and mask.
  void SetUp(const ColumnKind* kinds, int32_t count, uint32_t disabled);
};

class CMetaSoundsPage : public CMetaSoundListPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 139;
  explicit CMetaSoundsPage(QWidget* parent = nullptr);
  void Create();
  void Refresh() override;

 protected:
  // Opens the Sound File dialog on the row.
  void OnDoubleClick(int row) override;
};

class CReferencesPage : public CMetaSoundListPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 140;
  explicit CReferencesPage(QWidget* parent = nullptr);
  void Create();
  void Refresh() override;
};

class CFileReferencesPage : public CMetaSoundListPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 142;
  explicit CFileReferencesPage(QWidget* parent = nullptr);
  void Create();
  void Refresh() override;
};
