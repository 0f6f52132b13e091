#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "audio/AudioController.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "export/SoundExport.h"
#include "metafile/SoundInfo.h"
#include "platform/WaveOut.h"

namespace {

// A directory of its own for the playback file, made current while the sound plays.
class PlaybackDir {
 public:
  PlaybackDir() {
    std::error_code ec;
    m_previous = std::filesystem::current_path(ec);
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    std::random_device seed;
    for (int attempt = 0; attempt < 16 && m_path.empty(); ++attempt) {
      char name[32];
      snprintf(name, sizeof name, "vantor-play-%08x", static_cast<unsigned>(seed()));
      const std::filesystem::path dir = temp / name;
      if (!std::filesystem::create_directory(dir, ec) || ec) continue;
      std::filesystem::current_path(dir, ec);
      if (ec) {
        std::filesystem::remove(dir, ec);
        return;
      }
      m_path = dir;
    }
  }
  ~PlaybackDir() {
    if (m_path.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    if (ec) std::filesystem::current_path(m_path.root_path(), ec);
    std::filesystem::remove_all(m_path, ec);
  }
  bool Ok() const { return !m_path.empty(); }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

class PlayCommand : public Command {
 public:
  explicit PlayCommand(CLI::App& parent) {
    app = parent.add_subcommand("play", "play one row of `vantor list` and wait until it has played out");
    AddRowArguments(app, args);
    AddListOptions(app, options, false);
    app->add_option("--device", device, WaveOutDriverHelp());
  }

  int Run() override {
    LoadedSet set;
    const SoundListItem* item = nullptr;
    long row = 0;
    const int status = LoadRow(args, options, set, item, row);
    if (status == EXIT_USAGE) return status;
    CSoundListModel& model = set.catalogue->m_listModel;
    const std::string_view name = item->pFile ? item->pFile->m_name.GetText() : std::string_view();

    if (!device.empty()) WaveOutSetDriverName(device.c_str());
    CAudioController audio;
    if (!StartAudio(audio)) {
      ShutdownAudio(audio, nullptr);
      fprintf(stderr, "vantor play: no sound device could be opened%s\n",
              device.empty() ? "" : (" with the audio driver \"" + device + "\"").c_str());
      return EXIT_SOME_FAILED;
    }
    bool played = false, finished = false;
    {
      PlaybackDir playbackDir;
      if (playbackDir.Ok()) {
        played = PlayItem(&model, item) && audio.m_pSource;  // a source remains only when Play started it
        // Generous: at least 2 ms per stored byte is longer than any sound lasts.
        const uint64_t bytes = item->pFile ? item->pFile->GetSize() : 0;
        const DWORD timeout = static_cast<DWORD>(std::min<uint64_t>(30000 + bytes * 2, INFINITE - 1));
        finished = played && audio.WaitUntilPlayedOut(timeout);
      }
      ShutdownAudio(audio, kPlaybackFileName);
    }
    if (!played) {
      fprintf(stderr, "vantor play: row %ld (%s) could not be played\n", row, EscapeText(name).c_str());
      return EXIT_SOME_FAILED;
    }
    if (!finished) {
      fprintf(stderr, "vantor play: row %ld (%s) did not finish playing\n", row, EscapeText(name).c_str());
      return EXIT_SOME_FAILED;
    }
    printf("played %ld: %s\n", row, EscapeText(name).c_str());
    return status;
  }

  std::vector<std::string> args;
  ListOptions options;
  std::string device;
};

}  // namespace

std::unique_ptr<Command> MakePlayCommand(CLI::App& parent) { return std::make_unique<PlayCommand>(parent); }
