// What the commands of the command-line tool share: loading a set and listing its rows.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "views/SoundListModel.h"

enum ExitCode { EXIT_OK = 0, EXIT_SOME_FAILED = 1, EXIT_USAGE = 2, EXIT_LOAD_ERROR = 3 };

struct ListOptions {
  std::vector<int> columns{0, 1, 2, 3, 4, 5};
  std::optional<int> sort;
  bool descending = false;
  std::string show;      // hexadecimal wShowFlags
  std::string missions;  // hexadecimal wMissionFlags
  std::optional<int> tag;
  std::optional<int> subtag;
  bool json = false;
};

// The filter, sort and format options of `vantor list`, shared by the commands that pick rows.
void AddListOptions(CLI::App* command, ListOptions& options, bool withColumns = true);

// A metafile set loaded through the catalogue.
// The process ends right after its command (see main), so the catalogue is left to the system,
// which reclaims it at once, instead of being freed record by record.
struct LoadedSet {
  LoadedSet() = default;
  LoadedSet(const LoadedSet&) = delete;
  LoadedSet& operator=(const LoadedSet&) = delete;
  ~LoadedSet() { (void)catalogue.release(); }
  std::unique_ptr<CSoundCatalogue> catalogue = std::make_unique<CSoundCatalogue>();
  bool complete = false;
};

inline constexpr const char kDirHelp[] =
    "the metafile directory, or any file in it; without it, the stored setting or the game's installation";

// Loads the set in `dir` (a directory or a file in it; empty: located as start-up does, without
// the dialog). Returns EXIT_OK, EXIT_LOAD_ERROR after a
// metafile error (the catalogue keeps what was read; the two diagnostic lines go to stderr) or
// EXIT_USAGE when `dir` does not exist.
int LoadSet(const std::string& dir, LoadedSet& set);

// Applies the filter and sort options to the main model and rebuilds it. EXIT_USAGE with a
// message on stderr when an option value is bad.
int PrepareList(CSoundListModel& model, const ListOptions& options);

// The "[DIR] ROW" arguments of a command that acts on one row of `vantor list`.
void AddRowArguments(CLI::App* command, std::vector<std::string>& args);

// Loads the set of "[DIR] ROW" (DIR made absolute), prepares the list with `options` and picks
// the row. Returns LoadSet's status with `item` and `row` set, or EXIT_USAGE after a message.
int LoadRow(const std::vector<std::string>& args, const ListOptions& options, LoadedSet& set,
            const SoundListItem*& item, long& row);

// A cell's text as UTF-8, with TAB, LF, CR and backslash written as \t, \n, \r, \\.
std::string EscapedCellText(const CSoundListModel& model, int64_t row, const ColumnKind* kinds, int32_t kindCount,
                            int32_t column);
std::string EscapeText(std::string_view cp1252);

// Prints the rows of a model (or only `rows`, display rows in the order given) as TAB-separated
// cells of the given column kinds; with `numbered`, each line starts with the 1-based row number
// and a TAB.
void PrintRows(const CSoundListModel& model, const std::vector<ColumnKind>& kinds,
               const std::vector<uint32_t>* rows = nullptr, bool numbered = false);

// Prints the rows (display rows) as `vantor list --json` does: a JSON array of typed values.
void PrintRowsJson(const CSoundListModel& model, const std::vector<uint32_t>& rows);

// Prints a usage error and returns EXIT_USAGE.
int UsageError(const std::string& message);

// Parses a list of 1-based rows and ranges such as "1,4-9" against a row count.
bool ParseRowList(const std::string& text, uint32_t count, std::vector<uint32_t>& rows, std::string& error);
