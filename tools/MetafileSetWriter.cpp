#include "tools/MetafileSetWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {
const char* const kNames[MetafileSetWriter::kFileCount] = {
    "SchemaMetafile.csc",      "SchemaMetafile_Memory.csc", "SchemaMetafile_Harddrive.csc",
    "SchemaMetafile_DVD1.csc", "SchemaMetafile_DVD2.csc",   "SchemaMetafile_DVD3.csc"};
const char kHeader[13] = {'Q', 'R', 'N', 'S', 'M', 'F', 0, 1, 0, 0, 0, 0, 0};
}  // namespace

const char* MetafileSetWriter::FileName(int file) { return kNames[file]; }

void MetafileSetWriter::Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 24));
}

void MetafileSetWriter::Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void MetafileSetWriter::PutString(std::vector<uint8_t>& out, const std::string& text) {
  Put32(out, static_cast<uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

int MetafileSetWriter::AddRecord(int file, SoundInfo info, int64_t fixedOffset) {
  m_items.push_back(Item{file, fixedOffset, true, std::move(info), {}});
  return static_cast<int>(m_items.size()) - 1;
}

int MetafileSetWriter::AddData(int file, std::vector<uint8_t> bytes, int64_t fixedOffset) {
  m_items.push_back(Item{file, fixedOffset, false, {}, std::move(bytes)});
  return static_cast<int>(m_items.size()) - 1;
}

uint32_t MetafileSetWriter::Resolve(const Address& a) const {
  return a.item >= 0 ? m_items.at(static_cast<size_t>(a.item)).address : a.raw;
}

size_t MetafileSetWriter::TablesSize() const {
  size_t size = 1;
  for (const Tag& t : tags) {
    size += 4 + t.name.size();
    if (!t.name.empty() && t.name[0] == '+') {
      size += 2;
      for (const std::string& s : t.subNames) size += 4 + s.size();
    }
  }
  size += 2;
  for (const TaggedSound& s : taggedSounds) size += 1 + 5 * s.tags.size() + 4;
  size += 2;
  for (const MissionSound& m : missionSounds) size += 4 + m.name.size() + 4;
  return size;
}

void MetafileSetWriter::PutTables(std::vector<uint8_t>& out) const {
  out.push_back(static_cast<uint8_t>(tags.size()));
  for (const Tag& t : tags) {
    PutString(out, t.name);
    if (!t.name.empty() && t.name[0] == '+') {
      out.push_back(t.extra);
      out.push_back(static_cast<uint8_t>(t.subNames.size()));
      for (const std::string& s : t.subNames) PutString(out, s);
    }
  }
  Put16(out, static_cast<uint16_t>(taggedSounds.size()));
  for (const TaggedSound& s : taggedSounds) {
    out.push_back(static_cast<uint8_t>(s.tags.size()));
    for (const TagRef& r : s.tags) {
      out.push_back(r.tag);
      Put32(out, r.subTag);
    }
    Put32(out, Resolve(s.info));
  }
  Put16(out, static_cast<uint16_t>(missionSounds.size()));
  for (const MissionSound& m : missionSounds) {
    PutString(out, m.name);
    Put32(out, Resolve(m.info));
  }
}

void MetafileSetWriter::PutRecord(std::vector<uint8_t>& out, const SoundInfo& info) const {
  out.insert(out.end(), info.unknown.begin(), info.unknown.end());
  out.push_back(static_cast<uint8_t>(info.files.size()));
  for (const SoundFile& f : info.files) {
    PutString(out, f.name);
    Put32(out, Resolve(f.data));
    Put32(out, f.wavSize);
    Put32(out, f.oggSize);
    Put32(out, f.reserved);
    for (const std::string& s : f.subtitles) PutString(out, s);
  }
}

void MetafileSetWriter::Layout() {
  if (tags.size() > 255 || taggedSounds.size() > 65535 || missionSounds.size() > 65535)
    throw std::length_error("table too large for its count");

  // Place every item: sizes do not depend on the addresses, so one pass finds all offsets.
  std::array<uint64_t, kFileCount> end;
  end.fill(sizeof kHeader);
  end[2] += TablesSize();
  std::vector<uint8_t> scratch;
  for (Item& item : m_items) {
    uint64_t size = item.bytes.size();
    if (item.isRecord) {
      size = 46;
      for (const SoundFile& f : item.info.files) {
        size += 4 + f.name.size() + 16;
        for (const std::string& s : f.subtitles) size += 4 + s.size();
      }
    }
    uint64_t at = end[item.file];
    if (item.fixedOffset >= 0) {
      if (static_cast<uint64_t>(item.fixedOffset) < at) throw std::invalid_argument("fixed offset overlaps earlier items");
      at = static_cast<uint64_t>(item.fixedOffset);
    }
    if (at > 0x1FFFFFFF) throw std::length_error("offset beyond 29 bits");
    item.address = (static_cast<uint32_t>(item.file) << 29) | static_cast<uint32_t>(at);
    end[item.file] = at + size;
  }

  for (int f = 0; f < kFileCount; ++f) {
    m_files[f].clear();
    m_files[f].reserve(end[f]);
    m_files[f].insert(m_files[f].end(), kHeader, kHeader + sizeof kHeader);
  }
  PutTables(m_files[2]);
  for (const Item& item : m_items) {
    std::vector<uint8_t>& out = m_files[item.file];
    out.resize(item.address & 0x1FFFFFFF, 0);
    if (item.isRecord)
      PutRecord(out, item.info);
    else
      out.insert(out.end(), item.bytes.begin(), item.bytes.end());
  }
}

bool MetafileSetWriter::Write(const std::string& dir, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what;
    return false;
  };
  try {
    Layout();
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);  // a missing parent folder is made too
  if (ec) return fail(dir + ": " + ec.message());
  for (int f = 0; f < kFileCount; ++f) {
    std::string path = dir + "/" + kNames[f];
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return fail(path + ": " + strerror(errno));
    bool ok = fwrite(m_files[f].data(), 1, m_files[f].size(), out) == m_files[f].size();
    ok = (fclose(out) == 0) && ok;
    if (!ok) return fail(path + ": write failed");
  }
  return true;
}
