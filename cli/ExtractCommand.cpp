#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "catalogue/SoundCatalogue.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "platform/PathUtil.h"
#include "codec/AcmDriverRegistration.h"
#include "export/SoundExport.h"
#include "metafile/SoundInfo.h"

namespace {

// A progress bar on a terminal: count, files per second and stored megabytes per second,
// redrawn at most ten times a second and once at the end.
class ProgressBar : public IProgressSink {
 public:
  ProgressBar(const CSoundListModel& model, const std::vector<int64_t>& rows) : m_model(model), m_rows(rows) {}

  void SetStage(int32_t nLower, int32_t nUpper, const char*) override {
    m_done = nLower;
    m_total = nUpper;
    m_start = m_lastDraw = Clock::now();
    if (m_total > 0) Draw();
  }

  void Step(int32_t nDelta) override {
    for (int32_t i = 0; i < (nDelta ? nDelta : 1); ++i, ++m_done) {
      const SoundListItem* item = m_done < m_rows.size() ? m_model.ItemAt(m_rows[m_done]) : nullptr;
      if (item && item->pFile) m_bytes += item->pFile->GetSize();
    }
    const Clock::time_point now = Clock::now();
    if (m_done >= static_cast<size_t>(m_total) || now - m_lastDraw >= std::chrono::milliseconds(100)) {
      m_lastDraw = now;
      Draw();
    }
    if (m_done >= static_cast<size_t>(m_total)) fputc('\n', stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Draw() const {
    constexpr int kWidth = 30;
    const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
    const int filled = m_total > 0 ? static_cast<int>(kWidth * static_cast<double>(m_done) / m_total) : kWidth;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    fprintf(stderr, "\r[%s] %zu/%d  %.1f files/s  %.1f MB/s ", bar, m_done, m_total,
            seconds > 0 ? static_cast<double>(m_done) / seconds : 0.0,
            seconds > 0 ? static_cast<double>(m_bytes) / 1e6 / seconds : 0.0);
    fflush(stderr);
  }

  const CSoundListModel& m_model;
  const std::vector<int64_t>& m_rows;
  size_t m_done = 0;
  int32_t m_total = 0;
  uint64_t m_bytes = 0;
  Clock::time_point m_start, m_lastDraw;
};

class ExtractCommand : public Command {
 public:
  explicit ExtractCommand(CLI::App& parent) {
    app = parent.add_subcommand(
        "extract",
        "write the sounds of the rows of `vantor list` (same options) to files: decoded PCM WAVE files, Ogg Vorbis "
        "unchanged, or with --raw the stored bytes. Exit status 1 when a row failed, 3 after a metafile error.");
    app->add_option("DIR", dir, kDirHelp);
    app->add_flag("--raw", raw, "copy the stored bytes unchanged (.wav or .ogg)");
    app->add_option("--out", outDir, "write into this directory (created when missing) instead of the current one");
    app->add_option("--rows", rowList, "only these 1-based rows of the list, e.g. 1,4-9");
    AddListOptions(app, options, false);
  }

  int Run() override {
    // The catalogue opens metafiles by its base path long after the output directory became
    // the current one: the set's path must not be relative.
    std::error_code ec;
    if (!dir.empty() && std::filesystem::exists(dir, ec)) dir = AbsolutePath(dir);
    LoadedSet set;
    const int loaded = LoadSet(dir, set);
    if (loaded == EXIT_USAGE) return loaded;
    CSoundCatalogue& catalogue = *set.catalogue;
    if (!IsAbsolutePath(catalogue.m_szBasePath)) {
      const std::string base = AbsolutePath(catalogue.m_szBasePath) + kPathSeparator;
      if (!catalogue.SetBasePath(base.c_str())) return UsageError("path too long: " + base);
    }
    CSoundListModel& model = catalogue.m_listModel;
    if (int bad = PrepareList(model, options)) return bad;

    std::vector<int64_t> rows;
    if (rowList.empty()) {
      for (uint32_t r = 0; r < model.nCount; ++r) rows.push_back(r);
    } else {
      std::vector<uint32_t> picked;
      std::string error;
      if (!ParseRowList(rowList, model.nCount, picked, error)) return UsageError(error);
      for (uint32_t r : picked) rows.push_back(static_cast<int64_t>(r) - 1);
    }

    if (!outDir.empty()) {
      std::filesystem::create_directories(outDir, ec);
      if (chdir(outDir.c_str()) != 0) return UsageError("cannot write into the directory " + outDir);
    }

    if (!raw) RegisterAcmDrivers();  // without a PCM converter, export still decodes
    std::unique_ptr<ProgressBar> bar;
    if (isatty(fileno(stderr))) bar = std::make_unique<ProgressBar>(model, rows);
    const ExtractReport report = ExtractRows(model, rows, raw, bar.get());
    if (!raw) RemoveAcmDrivers();
    for (const std::string& line : report.notes) fprintf(stderr, "%s\n", line.c_str());
    for (const std::string& line : report.failures) fprintf(stderr, "%s\n", line.c_str());
    const long extracted = report.nExtracted;

    printf("Extracted %ld of %ld files.\n", extracted, static_cast<long>(rows.size()));
    if (extracted != static_cast<long>(rows.size())) return EXIT_SOME_FAILED;
    return loaded;
  }

  std::string dir;
  bool raw = false;
  std::string outDir;
  std::string rowList;
  ListOptions options;
};

}  // namespace

std::unique_ptr<Command> MakeExtractCommand(CLI::App& parent) { return std::make_unique<ExtractCommand>(parent); }
