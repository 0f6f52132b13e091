// The progress window of long synchronous jobs: one line of text and a progress bar.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "catalogue/ProgressSink.h"

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog, public IProgressSink {
  Q_OBJECT
 public:
  static constexpr int IDD = 132;
  enum { IDC_PROGRESS = 1003, IDC_TEXT = 1004 };

  explicit CProgressDlg(QWidget* parent = nullptr);

  // Builds the window from template 132 (the modeless create); OnInitDialog runs at the end.
  void Create();
  void SetWindowText(const char* text);

  void SetStage(int32_t nLower, int32_t nUpper, const char* pszText) override;
  void Step(int32_t nDelta) override;

  QProgressBar* m_progress = nullptr;
  QLabel* m_text = nullptr;

 protected:
  bool OnInitDialog();
  // Lets the window paint what changed while the job keeps the main thread busy.
  void Repaint(bool force = false);

 private:
  void SetPos(int64_t position);
  int32_t m_nLower = 0;
  int32_t m_nUpper = 100;
  int32_t m_nPos = 0;
  int32_t m_nStep = 1;
  QElapsedTimer m_sinceRepaint;
};
