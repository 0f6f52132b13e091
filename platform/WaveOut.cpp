#include "platform/WaveOut.h"

#include <atomic>

namespace {
std::atomic<const WaveOutBackend*> g_pWaveOutBackend{nullptr};
}

const WaveOutBackend* SetWaveOutBackend(const WaveOutBackend* pBackend) {
  return g_pWaveOutBackend.exchange(pBackend);
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  const WaveOutBackend* b = g_pWaveOutBackend.load();
  return b ? b->prepareHeader(hwo, pwh, cbwh) : MMSYSERR_NODRIVER;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  const WaveOutBackend* b = g_pWaveOutBackend.load();
  return b ? b->unprepareHeader(hwo, pwh, cbwh) : MMSYSERR_NODRIVER;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  const WaveOutBackend* b = g_pWaveOutBackend.load();
  return b ? b->write(hwo, pwh, cbwh) : MMSYSERR_NODRIVER;
}
