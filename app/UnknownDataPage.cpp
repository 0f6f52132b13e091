#include "app/UnknownDataPage.h"

#include <QMouseEvent>

#include "app/DialogUnits.h"

CUnknownDataPage::CUnknownDataPage(QWidget* parent) : CDialogPage(parent) {}

void CUnknownDataPage::Create() {
  const CDialogUnits du(font());
  resize(du.Size(298, 198));
  hide();
}

void CUnknownDataPage::SetData(const uint8_t* pData) {
  m_pData = pData;
  update();
}

void CUnknownDataPage::paintEvent(QPaintEvent*) {}

void CUnknownDataPage::mousePressEvent(QMouseEvent* event) { CDialogPage::mousePressEvent(event); }

void CUnknownDataPage::mouseMoveEvent(QMouseEvent* event) { CDialogPage::mouseMoveEvent(event); }
