// Internal state of the Audio Compression Manager: the installed drivers, open
// driver instances and open streams, and the handle checks over them.
#pragma once

#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/MSAcmDrv.h"

namespace acm {

struct Driver {  // an HACMDRIVERID
  ACMDRIVERPROC proc = nullptr;
  HINSTANCE hinst = nullptr;
  bool local = false;
  bool builtIn = false;
  DWORD fdwSupport = 0;
  int users = 0;  // open instances, including the manager's own short opens
};

struct Instance {  // an HACMDRIVER
  Driver* driver = nullptr;
  DWORD_PTR dwDriverId = 0;
  int streams = 0;
};

struct Stream {  // an HACMSTREAM
  Instance* instance = nullptr;
  bool ownsInstance = false;
  ACMDRVSTREAMINSTANCE adsi{};
  std::vector<BYTE> wfxSrc, wfxDst;
};

class Manager {
 public:
  static Manager& Get();

  // Drivers in search order: local drivers (newest first), then installed ones.
  std::vector<Driver*> Drivers();
  Driver* FindDriver(HACMDRIVERID hadid);
  Instance* FindInstance(HACMDRIVER had);
  Stream* FindStream(HACMSTREAM has);

  void AddDriver(Driver* d);
  MMRESULT RemoveDriver(Driver* d);

  // Opens an instance of a driver (DRV_OPEN); null when the driver refuses.
  Instance* Open(Driver* d, MMRESULT* pmmr);
  MMRESULT Close(Instance* inst, bool force);

  void AddStream(Stream* s);
  void RemoveStream(Stream* s);

  static LRESULT Send(Instance* inst, UINT msg, LPARAM l1, LPARAM l2) {
    return inst->driver->proc(inst->dwDriverId, reinterpret_cast<HACMDRIVERID>(inst->driver), msg, l1, l2);
  }

 private:
  Manager();
  ~Manager();
  std::mutex m_lock;
  std::vector<Driver*> m_drivers;
  std::unordered_set<Instance*> m_instances;
  std::unordered_set<Stream*> m_streams;
};

// Size of a format structure as stored: 16 for PCM, else 18 + cbSize.
DWORD FormatSize(const WAVEFORMATEX* pwfx);

}  // namespace acm
