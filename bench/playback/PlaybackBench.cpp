// Playback timings through SDL's disk driver at real-time pace:
//   start  the time from Play to the first buffer handed to the device (waveOutWrite) and to
//          the first non-silent sample in the device's output file, for a short and a long sound;
//   stop   the time Stop takes while a sound plays (at points spread over a buffer);
//   cpu    the audio thread's CPU time per second of sound while it plays.
// With --set DIR the start is also timed from PlayItem (metafile read, playback file written,
// Play) for the set's shortest and longest stored sound.
// Usage: playback_bench [--runs N] [--cpu-seconds S] [--set DIR]
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "catalogue/SoundCatalogue.h"
#include "export/SoundExport.h"
#include "metafile/SoundInfo.h"
#include "tools/AudioWriters.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<Clock::rep> g_firstWrite{0};
const WaveOutBackend* g_pDevice = nullptr;

MMRESULT Prepare(HWAVEOUT h, LPWAVEHDR p, UINT cb) { return g_pDevice->prepareHeader(h, p, cb); }
MMRESULT Unprepare(HWAVEOUT h, LPWAVEHDR p, UINT cb) { return g_pDevice->unprepareHeader(h, p, cb); }
MMRESULT Write(HWAVEOUT h, LPWAVEHDR p, UINT cb) {
  Clock::rep none = 0;
  g_firstWrite.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
  return g_pDevice->write(h, p, cb);
}
const WaveOutBackend kTimedWrites = {Prepare, Unprepare, Write};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Clip Stereo(double seconds, int rate) {
  Clip mono = synth::Chord({220, 277, 330}, seconds, rate);
  Clip c;
  c.rate = rate;
  c.channels = 2;
  for (float s : mono.samples) c.samples.insert(c.samples.end(), {s, -s});
  return c;
}

std::string Save(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
  std::string path = dir + "/" + name;
  FILE* f = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  return path;
}

// Nanoseconds the thread has run, from the scheduler's statistics.
long long RunNs(const std::string& tid) {
  std::ifstream in("/proc/self/task/" + tid + "/schedstat");
  long long ns = -1;
  in >> ns;
  return ns;
}

long long ProcessNs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

std::string Comm(const std::string& tid) {
  std::ifstream in("/proc/self/task/" + tid + "/comm");
  std::string s;
  std::getline(in, s);
  return s;
}

// The audio thread: the one thread besides the main thread that has the main thread's name
// (SDL names its own threads).
std::string AudioThreadTid() {
  const std::string self = std::to_string(getpid()), name = Comm(self);
  std::string found;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.' && self != e->d_name && Comm(e->d_name) == name) found = e->d_name;
    closedir(d);
  }
  return found;
}

// Waits for the first non-zero byte appended to the capture file after `from` bytes.
bool WaitForSound(const std::string& capture, size_t from, Clock::time_point deadline) {
  std::vector<char> buf(1 << 16);
  while (Clock::now() < deadline) {
    if (FILE* f = fopen(capture.c_str(), "rb")) {
      fseek(f, long(from), SEEK_SET);
      size_t n = fread(buf.data(), 1, buf.size(), f);
      fclose(f);
      if (std::any_of(buf.begin(), buf.begin() + long(n), [](char c) { return c != 0; })) return true;
      from += n;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

size_t FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? size_t(in.tellg()) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 10;
  double cpuSeconds = 8;
  std::string setDir;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--runs")) runs = atoi(argv[i + 1]);
    if (!strcmp(argv[i], "--cpu-seconds")) cpuSeconds = atof(argv[i + 1]);
    if (!strcmp(argv[i], "--set")) setDir = std::string(argv[i + 1]) + "/";
  }
  char tmpl[] = "/tmp/playback-bench-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string capture = dir + "/capture.raw";
  setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");  // real-time pace
  WaveOutSetDriverName("disk");

  struct Sound {
    const char* label;
    std::string path;
    int kind;
  };
  const Clip shortClip = Stereo(0.25, 44100), longClip = Stereo(cpuSeconds + 2, 44100);
  Clip shortMono = synth::Chord({220, 330}, 0.25, 22050), longMono = synth::Chord({220, 330}, cpuSeconds + 2, 22050);
  const std::vector<Sound> sounds = {
      {"PCM 44.1k stereo, 0.25 s", Save(dir, "ps.wav", WriteWavePcm(shortClip, 16)), AUDIO_KIND_WAVE},
      {"PCM 44.1k stereo, long", Save(dir, "pl.wav", WriteWavePcm(longClip, 16)), AUDIO_KIND_WAVE},
      {"Xbox ADPCM 22.05k mono, 0.25 s", Save(dir, "as.wav", WriteWaveXboxAdpcm(shortMono)), AUDIO_KIND_WAVE},
      {"Xbox ADPCM 22.05k mono, long", Save(dir, "al.wav", WriteWaveXboxAdpcm(longMono)), AUDIO_KIND_WAVE},
      {"Vorbis 44.1k stereo, 0.25 s", Save(dir, "os.ogg", WriteOggVorbis(shortClip)), AUDIO_KIND_OGG},
      {"Vorbis 22.05k mono, long", Save(dir, "ol.ogg", WriteOggVorbis(longMono)), AUDIO_KIND_OGG},
  };

  CAudioController audio;
  if (!audio.Start()) {
    fprintf(stderr, "playback_bench: no device\n");
    return 1;
  }
  g_pDevice = SetWaveOutBackend(&kTimedWrites);
  const std::string tid = AudioThreadTid();

  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
  };
  // Runs `play` `runs` times: the time to the first write and to the first sound, then Stop's time.
  auto timeStarts = [&](const char* label, const std::function<bool()>& play) {
    std::vector<double> toWrite, toSound, stop;
    for (int r = 0; r < runs; ++r) {
      const size_t from = FileSize(capture);
      g_firstWrite = 0;
      const Clock::time_point t0 = Clock::now();
      if (!play()) return false;
      const bool heard = WaitForSound(capture, from, t0 + std::chrono::seconds(5));
      const Clock::time_point t1 = Clock::now();
      toWrite.push_back(Ms(Clock::duration(g_firstWrite.load()) - t0.time_since_epoch()));
      if (heard) toSound.push_back(Ms(t1 - t0));
      // Stops at points spread over a buffer's 93 ms, since a stop waits for the next returned one.
      std::this_thread::sleep_for(std::chrono::milliseconds(r * 97 % 93));
      const Clock::time_point s0 = Clock::now();
      audio.Stop();
      stop.push_back(Ms(Clock::now() - s0));
    }
    printf("%-40s %12.2f %12.2f %12.2f\n", label, median(toWrite), median(toSound), median(stop));
    return true;
  };

  printf("%-40s %12s %12s %12s\n", "from Play (median of runs)", "to write ms", "to sound ms", "stop ms");
  for (const Sound& s : sounds)
    if (!timeStarts(s.label, [&] { return audio.Play(s.path.c_str(), s.kind); })) return 1;

  if (!setDir.empty()) {
    CSoundCatalogue catalogue;
    catalogue.Load(setDir.c_str(), nullptr, stderr);
    CSoundListModel& model = catalogue.m_listModel;
    model.Rebuild();
    const SoundListItem *shortest = nullptr, *longest = nullptr;
    for (int64_t row = 0; const SoundListItem* item = model.ItemAt(row); ++row) {
      if (!item->pFile || item->pFile->GetSize() == 0) continue;
      if (!shortest || item->pFile->GetSize() < shortest->pFile->GetSize()) shortest = item;
      if (!longest || item->pFile->GetSize() > longest->pFile->GetSize()) longest = item;
    }
    if (!shortest || chdir(dir.c_str()) != 0) return 1;
    g_pAudio = &audio;
    printf("\n%-40s %12s %12s %12s\n", "from PlayItem (median of runs)", "to write ms", "to sound ms", "stop ms");
    for (const SoundListItem* item : {shortest, longest}) {
      const std::string label = std::string(item->pFile->m_name.GetText()) + ", " +
                                std::to_string(item->pFile->GetSize()) + " bytes";
      if (!timeStarts(label.c_str(), [&] { return PlayItem(&model, item) && audio.m_pSource; })) return 1;
    }
    g_pAudio = nullptr;
    std::remove(kPlaybackFileName);
  }

  printf("\naudio thread CPU while playing %.0f s (tid %s):\n", cpuSeconds, tid.c_str());
  for (const Sound& s : sounds) {
    if (!strstr(s.label, "long")) continue;
    const long long before = RunNs(tid), processBefore = ProcessNs();
    const Clock::time_point t0 = Clock::now();
    audio.Play(s.path.c_str(), s.kind);
    std::this_thread::sleep_for(std::chrono::duration<double>(cpuSeconds));
    const long long used = RunNs(tid) - before, process = ProcessNs() - processBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    audio.Stop();
    printf("%-32s %8.3f ms CPU per s of sound (%.3f %%); whole process %.3f ms per s\n", s.label,
           used / 1e6 / wall, used / 1e7 / wall, process / 1e6 / wall);
  }
  SetWaveOutBackend(g_pDevice);
  audio.Shutdown();
  std::remove(capture.c_str());
  for (const Sound& s : sounds) std::remove(s.path.c_str());
  rmdir(dir.c_str());
  return 0;
}
