// The Meta Sound dialog's "Unknown Data" page: a sound information record's 45 unparsed bytes
// in the hex data view.
#pragma once

#include <cstdint>

#include "app/DialogPage.h"

class CUnknownDataPage : public CDialogPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 141;

  explicit CUnknownDataPage(QWidget* parent = nullptr);
  void Create();
  // Shows the 45 bytes at pData (null: nothing); the selected byte stays.
  void SetData(const uint8_t* pData);

  const uint8_t* m_pData = nullptr;
  int32_t m_nSelectedByte = -1;
  uint8_t m_bHitTestPending = 0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};
