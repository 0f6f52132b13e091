#include "platform/SettingsStore.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using nlohmann::json;

constexpr size_t kMaxSettingsSize = 1 << 20;
std::atomic<bool> g_reported{false};

std::string AbsoluteEnv(const char* name) {
  const char* v = getenv(name);
  return (v && v[0] == '/') ? std::string(v) : std::string();
}

void ReportOnce(const std::string& path, const char* what) {
  if (!g_reported.exchange(true))
    fprintf(stderr, "vantor: ignoring %s settings file %s\n", what, path.c_str());
}

LONG ErrnoToWin32(int e) {
  switch (e) {
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    default: return ERROR_CANTWRITE;
  }
}

bool IsUtf8(const std::string& s) {
  try {
    (void)json(s).dump();
    return true;
  } catch (const json::type_error&) {
    return false;
  }
}

std::string ToHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool FromHex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2) return false;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi << 4 | lo);
  }
  return true;
}

// {"keys": {"SOFTWARE\\Quarn Vantor": {"SchemaMetafile PATH": {"type": 1, "text": "..."}}}}
// Values whose bytes are not UTF-8 text are kept as "hex".
bool FromJson(const json& doc, SettingsTree& tree) {
  if (!doc.is_object() || !doc.contains("keys") || !doc["keys"].is_object()) return false;
  for (const auto& [keyPath, values] : doc["keys"].items()) {
    if (!values.is_object()) return false;
    RegValueMap& key = tree[keyPath];
    for (const auto& [name, v] : values.items()) {
      if (!v.is_object() || !v.contains("type") || !v["type"].is_number_unsigned()) return false;
      RegValue value;
      value.type = v["type"].get<DWORD>();
      if (v.contains("text") && v["text"].is_string())
        value.data = v["text"].get<std::string>();
      else if (!v.contains("hex") || !v["hex"].is_string() || !FromHex(v["hex"].get<std::string>(), value.data))
        return false;
      key[name] = value;
    }
  }
  return true;
}

json ToJson(const SettingsTree& tree) {
  json keys = json::object();
  for (const auto& [keyPath, values] : tree) {
    if (values.empty()) continue;
    json& key = keys[keyPath] = json::object();
    for (const auto& [name, value] : values) {
      json v = {{"type", value.type}};
      if (IsUtf8(value.data))
        v["text"] = value.data;
      else
        v["hex"] = ToHex(value.data);
      key[name] = v;
    }
  }
  return json{{"keys", keys}};
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// mkdir -p with owner-only access for the folders it creates.
int MakeDirectories(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

std::string UserConfigDirectory() {
  std::string dir = AbsoluteEnv("XDG_CONFIG_HOME");
  if (!dir.empty()) return dir;
  std::string home = AbsoluteEnv("HOME");
  if (home.empty()) return std::string();
  return home + (home.back() == '/' ? "" : "/") + ".config";
}

std::string SettingsDirectory() {
  std::string config = UserConfigDirectory();
  if (config.empty()) return config;
  return config + (config.back() == '/' ? "" : "/") + "quarn-vantor";
}

std::string SettingsFilePath() {
  std::string dir = SettingsDirectory();
  return dir.empty() ? dir : dir + "/settings.json";
}

SettingsState LoadSettings(SettingsTree& tree) {
  tree.clear();
  std::string path = SettingsFilePath();
  if (path.empty()) return SettingsState::Absent;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT || errno == ENOTDIR) return SettingsState::Absent;
    ReportOnce(path, "unreadable");
    return SettingsState::Unreadable;
  }
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0 && text.size() <= kMaxSettingsSize) text.append(buf, n);
  bool readError = ferror(f);
  fclose(f);
  if (readError) {
    ReportOnce(path, "unreadable");
    return SettingsState::Unreadable;
  }
  json doc = json::parse(text, nullptr, false);
  if (text.size() > kMaxSettingsSize || doc.is_discarded() || !FromJson(doc, tree)) {
    tree.clear();
    ReportOnce(path, "damaged");
    return SettingsState::Damaged;
  }
  return SettingsState::Loaded;
}

bool SettingsReadableWhole() {
  SettingsTree tree;
  const SettingsState state = LoadSettings(tree);
  return state != SettingsState::Damaged && state != SettingsState::Unreadable;
}

LONG CheckSettingsWritable() {
  std::string dir = SettingsDirectory();
  if (dir.empty()) return ERROR_PATH_NOT_FOUND;
  // The folder itself, or the nearest ancestor that exists, must be a writable directory.
  struct stat st;
  while (stat(dir.c_str(), &st) != 0) {
    if (errno != ENOENT) return ErrnoToWin32(errno);
    size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ERROR_PATH_NOT_FOUND;
    dir.resize(slash);
  }
  if (!S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
  return access(dir.c_str(), W_OK | X_OK) == 0 ? ERROR_SUCCESS : ErrnoToWin32(errno);
}

LONG SaveSettings(const SettingsTree& tree) {
  std::string dir = SettingsDirectory();
  if (dir.empty()) return ERROR_PATH_NOT_FOUND;
  if (int e = MakeDirectories(dir)) return ErrnoToWin32(e);
  std::string text = ToJson(tree).dump(2) + "\n";

  std::string temp = dir + "/settings.json.XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return ErrnoToWin32(errno);
  int e = 0;
  errno = 0;
  if (!WriteAll(fd, text) || fsync(fd) != 0) e = errno ? errno : EIO;
  if (close(fd) != 0 && !e) e = errno;
  if (!e && rename(temp.c_str(), SettingsFilePath().c_str()) != 0) e = errno;
  if (e) {
    unlink(temp.c_str());
    return ErrnoToWin32(e);
  }
  // Make the rename itself durable.
  int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return ERROR_SUCCESS;
}
