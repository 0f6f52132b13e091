// The picture of a decoded sound: one lane per channel holding the extremes of every pixel
// column, over a time axis in seconds; drawn from precomputed peaks at any size.
#pragma once

#include <QWidget>

#include "export/SoundPeaks.h"

class CWaveformView : public QWidget {
  Q_OBJECT
 public:
  explicit CWaveformView(QWidget* parent = nullptr);

  // What to draw; without samples, the peaks' problem is shown as text instead.
  void SetPeaks(SoundPeaks peaks);
  const SoundPeaks& Peaks() const { return m_peaks; }

  // Where the lanes lie, in the widget's coordinates: the plot, and one channel's lane in it.
  QRect PlotRect() const;
  QRect LaneRect(int nChannel) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintLane(class QPainter& painter, int nChannel) const;
  void PaintTimeAxis(class QPainter& painter) const;

  SoundPeaks m_peaks;
};
