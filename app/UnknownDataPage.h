// The Meta Sound dialog's "Unknown Data" page: a sound information record's 45 unparsed bytes
// in the hex data view. Two fixed 32-bit fields are marked with their values; a left click or
// drag picks a byte, shown below the dump in seven interpretations.
#pragma once

#include <QFont>
#include <QPoint>
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

  // The font of everything the page draws: "Courier New" at 10 points.
  static QFont HexFont();

  const uint8_t* m_pData = nullptr;
  int32_t m_nSelectedByte = -1;
  uint8_t m_bHitTestPending = 0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void RequestHitTest(const QPoint& pos);

  QPoint m_hitPoint;  // where the left button was last pressed or dragged, in client coordinates
};
