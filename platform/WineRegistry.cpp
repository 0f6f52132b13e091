#include "platform/WineRegistry.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <tuple>
#include <sys/stat.h>

#include "platform/PathUtil.h"

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string CanonicalPath(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string HomeDirectory() {
  const char* home = getenv("HOME");
  return (home && home[0] == '/') ? std::string(home) : std::string();
}

// Collects UTF-16 code units and raw bytes of a Wine string into UTF-8.
class Utf8Builder {
 public:
  void Unit(uint32_t u) {
    if (u >= 0xD800 && u < 0xDC00) {
      Flush();
      m_high = u;
    } else if (u >= 0xDC00 && u < 0xE000 && m_high) {
      Code(0x10000 + ((m_high - 0xD800) << 10) + (u - 0xDC00));
      m_high = 0;
    } else {
      Flush();
      Code(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
  }
  void Byte(char c) {
    Flush();
    m_out += c;
  }
  std::string Take() {
    Flush();
    return std::move(m_out);
  }

 private:
  void Flush() {
    if (m_high) Code(0xFFFD);
    m_high = 0;
  }
  void Code(uint32_t cp) {
    if (cp < 0x80) {
      m_out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      m_out += static_cast<char>(0xC0 | cp >> 6);
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      m_out += static_cast<char>(0xE0 | cp >> 12);
      m_out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      m_out += static_cast<char>(0xF0 | cp >> 18);
      m_out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
      m_out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      m_out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  std::string m_out;
  uint32_t m_high = 0;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// Decodes Wine's escaped text from s[i] up to the first unescaped `end`; returns the index
// after `end`, or npos when the text is not closed.
size_t Unescape(const std::string& s, size_t i, char end, std::string& out) {
  static const std::string letters = "abefnrtv";
  static const char codes[] = {7, 8, 27, 12, 10, 13, 9, 11};
  Utf8Builder text;
  while (i < s.size() && s[i] != end) {
    char c = s[i++];
    if (c != '\\' || i >= s.size()) {
      text.Byte(c);
      continue;
    }
    char n = s[i++];
    size_t letter = letters.find(n);
    if (letter != std::string::npos) {
      text.Unit(static_cast<unsigned char>(codes[letter]));
    } else if (n == 'x' && i < s.size() && HexDigit(s[i]) >= 0) {
      uint32_t u = 0;
      for (int k = 0; k < 4 && i < s.size() && HexDigit(s[i]) >= 0; ++k) u = u * 16 + HexDigit(s[i++]);
      text.Unit(u);
    } else if (n >= '0' && n <= '7') {
      uint32_t u = static_cast<uint32_t>(n - '0');
      for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k) u = u * 8 + (s[i++] - '0');
      text.Unit(u);
    } else {
      text.Byte(n);
    }
  }
  out = text.Take();
  return i < s.size() ? i + 1 : std::string::npos;
}

std::string NormalizeKeyPath(const std::string& path) {
  std::string out;
  std::stringstream in(path);
  std::string part;
  while (std::getline(in, part, '\\')) {
    if (part.empty()) continue;
    if (!out.empty()) out += '\\';
    out += part;
  }
  return out;
}

bool StartsWithIgnoringCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && _stricmp(s.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0;
}

bool ParseHexBytes(const std::string& s, std::string& bytes) {
  bytes.clear();
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ',' || isspace(static_cast<unsigned char>(s[i])) || s[i] == '\\') {
      ++i;
      continue;
    }
    if (i + 1 >= s.size() || HexDigit(s[i]) < 0 || HexDigit(s[i + 1]) < 0) return false;
    bytes += static_cast<char>(HexDigit(s[i]) * 16 + HexDigit(s[i + 1]));
    i += 2;
  }
  return true;
}

std::string Utf16LeToUtf8(const std::string& bytes) {
  Utf8Builder text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.Unit(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return text.Take();
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// One value line after its name and '=': "text", str(N):"text", dword:hex, hex:.., hex(N):..
bool ParseValue(const std::string& s, RegValue& value) {
  if (!s.empty() && s[0] == '"') {
    value.type = REG_SZ;
    if (Unescape(s, 1, '"', value.data) == std::string::npos) return false;
    value.data += '\0';
    return true;
  }
  if (s.compare(0, 4, "str(") == 0) {
    size_t close = s.find("):\"");
    if (close == std::string::npos) return false;
    value.type = static_cast<DWORD>(strtoul(s.c_str() + 4, nullptr, 16));
    if (Unescape(s, close + 3, '"', value.data) == std::string::npos) return false;
    value.data += '\0';
    return true;
  }
  if (s.compare(0, 6, "dword:") == 0) {
    uint32_t v = static_cast<uint32_t>(strtoul(s.c_str() + 6, nullptr, 16));
    value.type = REG_DWORD;
    value.data.assign(reinterpret_cast<const char*>(&v), 4);
    return true;
  }
  size_t colon = s.find(':');
  if (s.compare(0, 3, "hex") != 0 || colon == std::string::npos) return false;
  value.type = s[3] == '(' ? static_cast<DWORD>(strtoul(s.c_str() + 4, nullptr, 16)) : REG_BINARY;
  if (!ParseHexBytes(s.substr(colon + 1), value.data)) return false;
  if (IsStringType(value.type)) value.data = Utf16LeToUtf8(value.data);
  return true;
}

// Tokens of a VDF text: quoted strings and the braces "{" / "}" (marked by `brace`).
struct VdfToken {
  bool brace;
  std::string text;
};

std::vector<VdfToken> TokenizeVdf(const std::string& s) {
  std::vector<VdfToken> tokens;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '{' || c == '}') {
      tokens.push_back({true, std::string(1, c)});
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (c == '"') {
      std::string text;
      for (++i; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) ++i;
        text += s[i];
      }
      tokens.push_back({false, text});
    }
  }
  return tokens;
}

void AddUnique(std::vector<std::string>& list, std::vector<std::string>& seen, const std::string& path) {
  std::string canonical = CanonicalPath(path);
  if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) return;
  seen.push_back(canonical);
  list.push_back(path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The app folders of steamapps/compatdata in numeric order of their app ids.
std::vector<std::string> CompatDataFolders(const std::string& library) {
  std::vector<std::string> names;
  std::string base = library + "/steamapps/compatdata";
  if (DIR* d = opendir(base.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  for (std::string& n : names) n = base + "/" + n;
  return names;
}

}  // namespace

std::vector<std::string> ParseSteamLibraryFolders(const std::string& vdfText) {
  std::vector<std::string> folders;
  std::vector<VdfToken> tokens = TokenizeVdf(vdfText);
  int depth = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].brace) {
      depth += tokens[i].text == "{" ? 1 : -1;
      continue;
    }
    if (i + 1 >= tokens.size() || tokens[i + 1].brace) continue;
    const std::string& key = tokens[i].text;
    const std::string& value = tokens[i + 1].text;
    bool numbered = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) { return isdigit(c); });
    // Current layout: "libraryfolders" { "0" { "path" "..." } }; older one: "1" "...".
    if ((depth == 2 && _stricmp(key.c_str(), "path") == 0) || (depth == 1 && numbered)) folders.push_back(value);
    ++i;
  }
  return folders;
}

std::vector<std::string> WinePrefixes() {
  std::vector<std::string> prefixes, seen;
  auto addPrefix = [&](const std::string& p) {
    if (IsFile(p + "/system.reg")) AddUnique(prefixes, seen, p);
  };
  const char* winePrefix = getenv("WINEPREFIX");
  if (winePrefix && *winePrefix) addPrefix(winePrefix);
  std::string home = HomeDirectory();
  if (home.empty()) return prefixes;
  addPrefix(home + "/.wine");

  std::vector<std::string> libraries, seenLibraries;
  for (const char* root : {"/.steam/steam", "/.local/share/Steam", "/.var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
    std::string steam = home + root;
    if (!IsDirectory(steam)) continue;
    AddUnique(libraries, seenLibraries, steam);
    for (const char* vdf : {"/steamapps/libraryfolders.vdf", "/config/libraryfolders.vdf"})
      for (const std::string& lib : ParseSteamLibraryFolders(ReadFile(steam + vdf)))
        if (IsDirectory(lib)) AddUnique(libraries, seenLibraries, lib);
  }
  for (const std::string& lib : libraries)
    for (const std::string& app : CompatDataFolders(lib)) addPrefix(app + "/pfx");
  return prefixes;
}

bool ReadWineRegistryKey(const std::string& regFile, const std::string& keyPath, RegValueMap& values) {
  std::ifstream in(regFile, std::ios::binary);
  if (!in) return false;
  std::string target = NormalizeKeyPath(keyPath);
  std::string wowTarget;
  if (StartsWithIgnoringCase(target + "\\", "Software\\"))
    wowTarget = NormalizeKeyPath("Software\\Wow6432Node\\" + target.substr(8));
  if (target.empty()) return false;

  RegValueMap direct, wow;
  bool foundDirect = false, foundWow = false;
  RegValueMap* current = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      std::string name;
      Unescape(line, 1, ']', name);
      name = NormalizeKeyPath(name);
      current = nullptr;
      for (auto [want, map, found] : {std::tuple(&target, &direct, &foundDirect), std::tuple(&wowTarget, &wow, &foundWow)}) {
        if (want->empty()) continue;
        if (_stricmp(name.c_str(), want->c_str()) == 0) current = map;
        if (current == map || StartsWithIgnoringCase(name, *want + "\\")) *found = true;
      }
      continue;
    }
    if (!current) continue;
    // Hex data goes on over lines that end in a backslash.
    while (line.size() > 1 && line.back() == '\\' && line.find("=hex") != std::string::npos) {
      std::string next;
      if (!std::getline(in, next)) break;
      line.pop_back();
      line += next;
    }
    std::string name;
    size_t pos;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      pos = Unescape(line, 1, '"', name);
      if (pos == std::string::npos) continue;
    } else {
      continue;
    }
    if (pos >= line.size() || line[pos] != '=') continue;
    RegValue value;
    if (ParseValue(line.substr(pos + 1), value)) (*current)[name] = value;
  }
  values = foundDirect ? direct : wow;
  return foundDirect || foundWow;
}

std::string MapWindowsPath(const std::string& prefix, const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' || !isalpha(static_cast<unsigned char>(windowsPath[0])))
    return std::string();
  std::string drive(1, static_cast<char>(tolower(static_cast<unsigned char>(windowsPath[0]))));
  std::string path = prefix + "/dosdevices/" + drive + ":";
  if (!IsDirectory(path)) {
    if (drive != "c" || !IsDirectory(prefix + "/drive_c")) return std::string();
    path = prefix + "/drive_c";
  }
  std::string part;
  for (size_t i = 2; i <= windowsPath.size(); ++i) {
    if (i < windowsPath.size() && !IsPathSeparator(windowsPath[i])) {
      part += windowsPath[i];
      continue;
    }
    if (part.empty() || part == ".") {
      part.clear();
      continue;
    }
    std::string found = FindFileIgnoringCase(path, part);
    path = found.empty() ? path + "/" + part : found;
    part.clear();
  }
  if (IsPathSeparator(windowsPath.back())) path += '/';
  return path;
}
