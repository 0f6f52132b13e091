#include "app/WaveformView.h"

#include <QPainter>
#include <QVector>
#include <cmath>

namespace {

constexpr int kMargin = 6;
constexpr int kLaneGap = 6;
constexpr int kTickLength = 4;

const QColor kLaneBackground(244, 246, 250);
const QColor kZeroLine(190, 196, 206);
const QColor kWave(28, 88, 160);
const QColor kFrame(150, 156, 166);

// The shortest step of 1, 2 or 5 times a power of ten that is at least `minimum` seconds.
double TickStep(double minimum) {
  double step = std::pow(10.0, std::floor(std::log10(minimum)));
  for (;;) {
    for (double f : {1.0, 2.0, 5.0})
      if (f * step >= minimum) return f * step;
    step *= 10;
  }
}

QString SecondsText(double seconds, int decimals) { return QStringLiteral("%1 s").arg(seconds, 0, 'f', decimals); }

}  // namespace

CWaveformView::CWaveformView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setBackgroundRole(QPalette::Base);
}

void CWaveformView::SetPeaks(SoundPeaks peaks) {
  m_peaks = std::move(peaks);
  update();
}

QRect CWaveformView::PlotRect() const {
  const int axis = fontMetrics().height() + kTickLength + 2;
  return rect().adjusted(kMargin, kMargin, -kMargin, -(kMargin + axis));
}

QRect CWaveformView::LaneRect(int nChannel) const {
  const QRect plot = PlotRect();
  const int n = m_peaks.nChannels > 0 ? m_peaks.nChannels : 1;
  const int height = (plot.height() - (n - 1) * kLaneGap) / n;
  return QRect(plot.left(), plot.top() + nChannel * (height + kLaneGap), plot.width(), height);
}

void CWaveformView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  if (m_peaks.nFrames == 0 || m_peaks.BucketCount() == 0) {
    painter.setPen(palette().text().color());
    const QString text = m_peaks.problem.empty()
                             ? QStringLiteral("No sound")
                             : QStringLiteral("No waveform: %1").arg(QString::fromStdString(m_peaks.problem));
    painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin), Qt::AlignCenter | Qt::TextWordWrap, text);
    return;
  }
  for (int c = 0; c < m_peaks.nChannels; ++c) PaintLane(painter, c);
  PaintTimeAxis(painter);
}

void CWaveformView::PaintLane(QPainter& painter, int nChannel) const {
  const QRect lane = LaneRect(nChannel);
  if (lane.width() <= 0 || lane.height() <= 2) return;
  painter.fillRect(lane, kLaneBackground);
  const double middle = lane.top() + (lane.height() - 1) / 2.0;
  const double half = (lane.height() - 1) / 2.0;
  painter.setPen(kZeroLine);
  painter.drawLine(QPointF(lane.left(), middle), QPointF(lane.right(), middle));

  // Column x shows frames [x * F / W, (x + 1) * F / W), at least one.
  const uint64_t frames = m_peaks.nFrames;
  const uint64_t width = static_cast<uint64_t>(lane.width());
  QVector<QLineF> lines;
  lines.reserve(lane.width());
  for (uint64_t x = 0; x < width; ++x) {
    const uint64_t first = x * frames / width;
    const uint64_t end = std::max((x + 1) * frames / width, first + 1);
    int lo, hi;
    if (!m_peaks.Range(nChannel, first, end, lo, hi)) continue;
    const double px = lane.left() + static_cast<double>(x) + 0.5;
    const double top = middle - hi / 32768.0 * half;
    const double bottom = middle - lo / 32768.0 * half;
    lines.append(QLineF(px, top, px, std::max(bottom, top + 1.0)));
  }
  painter.setPen(QPen(kWave, 1.0));
  painter.drawLines(lines);

  painter.setPen(kFrame);
  painter.drawRect(lane.adjusted(0, 0, -1, -1));
  const QString name = m_peaks.nChannels == 1 ? QStringLiteral("Mono")
                       : m_peaks.nChannels == 2 ? (nChannel == 0 ? QStringLiteral("Left") : QStringLiteral("Right"))
                                                : QStringLiteral("Channel %1").arg(nChannel + 1);
  painter.setPen(palette().text().color());
  painter.drawText(lane.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop, name);
}

void CWaveformView::PaintTimeAxis(QPainter& painter) const {
  const QRect plot = PlotRect();
  const double duration = m_peaks.Duration();
  if (plot.width() <= 1 || duration <= 0) return;
  const double pixelsPerSecond = (plot.width() - 1) / duration;
  // Labels at least their own width and a gap apart.
  const QFontMetrics metrics = fontMetrics();
  const int widest = metrics.horizontalAdvance(SecondsText(duration, 3)) + 12;
  const double step = TickStep(widest / pixelsPerSecond);
  const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  const int top = plot.bottom() + 1;
  painter.setPen(kFrame);
  painter.drawLine(plot.left(), top, plot.right(), top);
  painter.setPen(palette().text().color());
  for (int i = 0;; ++i) {
    const double t = i * step;
    if (t > duration + 1e-9) break;
    const int x = plot.left() + static_cast<int>(std::lround(t * pixelsPerSecond));
    painter.drawLine(x, top, x, top + kTickLength);
    const QString text = SecondsText(t, decimals);
    const int w = metrics.horizontalAdvance(text);
    // Keep the labels inside the widget.
    const int left = std::clamp(x - w / 2, 0, width() - w);
    painter.drawText(QRect(left, top + kTickLength + 1, w, metrics.height()), Qt::AlignCenter, text);
  }
}
