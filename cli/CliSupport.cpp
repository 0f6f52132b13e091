#include "cli/CliSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "catalogue/MetafileLocator.h"
#include "platform/PathUtil.h"
#include "platform/TextCodec.h"
#include "views/SoundListColumns.h"

namespace {

bool ParseHex16(const std::string& text, uint16_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  unsigned long v = strtoul(text.c_str(), &end, 16);
  if (*end != 0 || v > 0xFFFF || text[0] == '-') return false;
  value = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

int UsageError(const std::string& message) {
  fprintf(stderr, "vantor: %s\n", message.c_str());
  return EXIT_USAGE;
}

void AddListOptions(CLI::App* command, ListOptions& o, bool withColumns) {
  if (withColumns)
    command->add_option("--columns", o.columns, "column kinds to print, 0 to 9 (default 0,1,2,3,4,5)")
        ->delimiter(',')
        ->check(CLI::Range(0, 9));
  command->add_option("--sort", o.sort, "sort by column kind K (0 to 9), as a header click does")->check(CLI::Range(0, 9));
  command->add_flag("--desc", o.descending, "descending; alone, the reversed natural order");
  command->add_option("--show", o.show, "show switches (hex): 1 missing, 2 Ogg, 4 WAV, 8 tagged, 10 mission");
  command->add_option("--missions", o.missions, "sex and mission bits (hex): 1 other, 2 male, 4 female, 8..100 m01..m06, 200 other");
  command->add_option("--tag", o.tag, "only tagged sounds carrying tag N")->check(CLI::Range(0, 255));
  command->add_option("--subtag", o.subtag, "with --tag: only those with sub-tag M");
  if (withColumns) command->add_flag("--json", o.json, "print typed values as JSON");
}

int LoadSet(const std::string& given, LoadedSet& set) {
  std::string dir = given;
  if (dir.empty() && !LocateMetafiles(dir)) return UsageError("Vantor has no valid path to Quarn sound files");
  struct stat st;
  if (dir.empty() || stat(dir.c_str(), &st) != 0) return UsageError("no such directory or file: " + dir);
  std::string path = dir;
  if (S_ISDIR(st.st_mode) && !IsPathSeparator(path.back())) path += kPathSeparator;
  if (path.size() >= CSoundCatalogue::kPathSize)
    return UsageError("path too long (at most " + std::to_string(CSoundCatalogue::kPathSize - 1) + " bytes): " + dir);
  set.complete = set.catalogue->Load(path.c_str(), nullptr, stderr);
  return set.complete ? EXIT_OK : EXIT_LOAD_ERROR;
}

int PrepareList(CSoundListModel& model, const ListOptions& o) {
  uint16_t value;
  if (!o.show.empty()) {
    if (!ParseHex16(o.show, value)) return UsageError("--show takes a hexadecimal value up to FFFF: " + o.show);
    model.SetShowFlags(1, static_cast<uint16_t>(~value));
    model.SetShowFlags(0, value);
  }
  if (!o.missions.empty()) {
    if (!ParseHex16(o.missions, value)) return UsageError("--missions takes a hexadecimal value up to FFFF: " + o.missions);
    model.SetMissionFlags(1, static_cast<uint16_t>(~value));
    model.SetMissionFlags(0, value);
  }
  if (o.subtag && !o.tag) return UsageError("--subtag needs --tag");
  if (o.tag) model.SetTagFilter(0, {static_cast<uint8_t>(*o.tag), o.subtag.value_or(-1)});
  model.Rebuild();
  model.SetSort(static_cast<ColumnKind>(o.sort.value_or(COL_NUMBER)), o.descending);
  model.Sort();
  return EXIT_OK;
}

std::string EscapeText(std::string_view cp1252) {
  std::string utf8 = Cp1252ToUtf8(cp1252);
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapedCellText(const CSoundListModel& model, int64_t row, const ColumnKind* kinds, int32_t kindCount,
                            int32_t column) {
  char cell[kCellTextSize];
  GetCellText(&model, row, kinds, kindCount, column, cell, sizeof cell);
  return EscapeText(cell);
}

void PrintRows(const CSoundListModel& model, const std::vector<ColumnKind>& kinds, const std::vector<uint32_t>* rows,
               bool numbered) {
  std::string line;
  const uint32_t count = rows ? static_cast<uint32_t>(rows->size()) : model.nCount;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t r = rows ? (*rows)[i] : i;
    line.clear();
    if (numbered) line += std::to_string(r + 1) + '\t';
    for (size_t c = 0; c < kinds.size(); ++c) {
      if (c) line += '\t';
      line += EscapedCellText(model, r, kinds.data(), static_cast<int32_t>(kinds.size()), static_cast<int32_t>(c));
    }
    line += '\n';
    fwrite(line.data(), 1, line.size(), stdout);
  }
}

bool ParseRowList(const std::string& text, uint32_t count, std::vector<uint32_t>& rows, std::string& error) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    char* end = nullptr;
    unsigned long first = strtoul(part.c_str(), &end, 10);
    unsigned long last = first;
    if (end != part.c_str() && *end == '-') {
      const char* second = end + 1;
      last = strtoul(second, &end, 10);
      if (end == second) end = const_cast<char*>(second - 1);
    }
    if (part.empty() || !isdigit(static_cast<unsigned char>(part[0])) || *end != 0 || first < 1 || last < first) {
      error = "bad row list: " + text;
      return false;
    }
    if (last > count) {
      error = "row " + std::to_string(last) + " is beyond the " + std::to_string(count) + " rows listed";
      return false;
    }
    for (unsigned long r = first; r <= last; ++r) rows.push_back(static_cast<uint32_t>(r));
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return true;
}

void AddRowArguments(CLI::App* command, std::vector<std::string>& args) {
  command->add_option("args", args, std::string("[DIR] ROW: ") + kDirHelp +
                                        "; ROW, the 1-based row of `vantor list` with the same options")
      ->expected(1, 2)
      ->required();
}

int LoadRow(const std::vector<std::string>& args, const ListOptions& options, LoadedSet& set,
            const SoundListItem*& item, long& row) {
  char* end = nullptr;
  row = strtol(args.back().c_str(), &end, 10);
  if (*end != 0 || args.back().empty()) return UsageError("ROW must be a row number: " + args.back());
  std::string dir = args.size() == 2 ? args[0] : std::string();
  if (!dir.empty()) dir = AbsolutePath(dir);  // callers may change directory
  const int status = LoadSet(dir, set);
  if (status == EXIT_USAGE) return status;
  CSoundListModel& model = set.catalogue->m_listModel;
  if (int bad = PrepareList(model, options)) return bad;
  item = model.ItemAt(static_cast<int64_t>(row) - 1);
  if (row < 1 || !item)
    return UsageError("row " + std::to_string(row) + " is not listed (" + std::to_string(model.nCount) + " rows)");
  return status;
}
