#include "platform/AcmManager.h"

#include <algorithm>

#include "platform/PcmConverterDriver.h"

namespace acm {

Manager& Manager::Get() {
  static Manager manager;
  return manager;
}

Manager::Manager() {
  // The PCM converter ships with the manager as an installed (non-local) driver.
  auto* d = new Driver;
  d->proc = PcmConverterDriverProc;
  d->builtIn = true;
  d->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  m_drivers.push_back(d);
}

Manager::~Manager() {
  for (Stream* s : m_streams) delete s;
  for (Instance* i : m_instances) delete i;
  for (Driver* d : m_drivers) delete d;
}

std::vector<Driver*> Manager::Drivers() {
  std::lock_guard<std::mutex> g(m_lock);
  return m_drivers;
}

Driver* Manager::FindDriver(HACMDRIVERID hadid) {
  std::lock_guard<std::mutex> g(m_lock);
  auto* d = reinterpret_cast<Driver*>(hadid);
  return std::find(m_drivers.begin(), m_drivers.end(), d) != m_drivers.end() ? d : nullptr;
}

Instance* Manager::FindInstance(HACMDRIVER had) {
  std::lock_guard<std::mutex> g(m_lock);
  auto* i = reinterpret_cast<Instance*>(had);
  return m_instances.count(i) ? i : nullptr;
}

Stream* Manager::FindStream(HACMSTREAM has) {
  std::lock_guard<std::mutex> g(m_lock);
  auto* s = reinterpret_cast<Stream*>(has);
  return m_streams.count(s) ? s : nullptr;
}

void Manager::AddDriver(Driver* d) {
  std::lock_guard<std::mutex> g(m_lock);
  m_drivers.insert(m_drivers.begin(), d);
}

MMRESULT Manager::RemoveDriver(Driver* d) {
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (d->builtIn) return MMSYSERR_NOTSUPPORTED;
    if (d->users > 0) return ACMERR_BUSY;
    m_drivers.erase(std::remove(m_drivers.begin(), m_drivers.end(), d), m_drivers.end());
  }
  d->proc(0, reinterpret_cast<HACMDRIVERID>(d), DRV_DISABLE, 0, 0);
  d->proc(0, reinterpret_cast<HACMDRIVERID>(d), DRV_FREE, 0, 0);
  delete d;
  return MMSYSERR_NOERROR;
}

Instance* Manager::Open(Driver* d, MMRESULT* pmmr) {
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (std::find(m_drivers.begin(), m_drivers.end(), d) == m_drivers.end()) {
      *pmmr = MMSYSERR_INVALHANDLE;
      return nullptr;
    }
    ++d->users;
  }
  ACMDRVOPENDESCW desc{};
  desc.cbStruct = sizeof desc;
  desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
  desc.dwVersion = 0x04320000;
  const LRESULT id = d->proc(0, reinterpret_cast<HACMDRIVERID>(d), DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc));
  if (id == 0) {
    std::lock_guard<std::mutex> g(m_lock);
    --d->users;
    *pmmr = desc.dwError ? desc.dwError : MMSYSERR_ERROR;
    return nullptr;
  }
  auto* inst = new Instance;
  inst->driver = d;
  inst->dwDriverId = static_cast<DWORD_PTR>(id);
  std::lock_guard<std::mutex> g(m_lock);
  m_instances.insert(inst);
  *pmmr = MMSYSERR_NOERROR;
  return inst;
}

MMRESULT Manager::Close(Instance* inst, bool force) {
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (!force && inst->streams > 0) return ACMERR_BUSY;
    m_instances.erase(inst);
    --inst->driver->users;
  }
  inst->driver->proc(inst->dwDriverId, reinterpret_cast<HACMDRIVERID>(inst->driver), DRV_CLOSE, 0, 0);
  delete inst;
  return MMSYSERR_NOERROR;
}

void Manager::AddStream(Stream* s) {
  std::lock_guard<std::mutex> g(m_lock);
  ++s->instance->streams;
  m_streams.insert(s);
}

void Manager::RemoveStream(Stream* s) {
  std::lock_guard<std::mutex> g(m_lock);
  --s->instance->streams;
  m_streams.erase(s);
}

DWORD FormatSize(const WAVEFORMATEX* pwfx) {
  return pwfx->wFormatTag == WAVE_FORMAT_PCM ? 16 : 18u + pwfx->cbSize;
}

}  // namespace acm
