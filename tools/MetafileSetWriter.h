// Writes metafile sets: the three tables at byte 13 of file 2, and sound information records
// and sound data placed in any of the six files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class MetafileSetWriter {
 public:
  static constexpr int kFileCount = 6;
  static constexpr uint32_t kInvalid = 0xFFFFFFFF;

  // Where a record or a sound's data is: an item added to the writer, or a literal value.
  struct Address {
    int item = -1;
    uint32_t raw = kInvalid;
    static Address Item(int handle) { return Address{handle, kInvalid}; }
    static Address Raw(uint32_t value) { return Address{-1, value}; }
  };

  struct Tag {
    std::string name;
    uint8_t extra = 0;
    std::vector<std::string> subNames;  // written only when the name begins with '+'
  };
  struct TagRef {
    uint8_t tag;
    uint32_t subTag;
  };
  struct TaggedSound {
    std::vector<TagRef> tags;
    Address info;
  };
  struct MissionSound {
    std::string name;
    Address info;
  };
  struct SoundFile {
    std::string name;
    Address data;
    uint32_t wavSize = 0;
    uint32_t oggSize = 0;
    uint32_t reserved = 0;
    std::array<std::string, 5> subtitles;
  };
  struct SoundInfo {
    std::array<uint8_t, 45> unknown{};
    std::vector<SoundFile> files;
  };

  std::vector<Tag> tags;
  std::vector<TaggedSound> taggedSounds;
  std::vector<MissionSound> missionSounds;

  // Adds a record or a block of bytes to a file, after what is there, or at a fixed offset
  // (which must not lie before the end of the earlier items). Returns its handle.
  int AddRecord(int file, SoundInfo info, int64_t fixedOffset = -1);
  int AddData(int file, std::vector<uint8_t> bytes, int64_t fixedOffset = -1);

  // The packed file-and-offset value of an item; valid after Layout or Write.
  uint32_t AddressOf(int handle) const { return m_items[handle].address; }

  // Places every item and composes the bytes of the six files.
  void Layout();
  const std::vector<uint8_t>& FileBytes(int file) const { return m_files[file]; }
  // Lays out and writes the six files into `dir` (created when missing); false on any error.
  bool Write(const std::string& dir, std::string* error = nullptr);

  static const char* FileName(int file);
  static void PutString(std::vector<uint8_t>& out, const std::string& text);
  static void Put32(std::vector<uint8_t>& out, uint32_t value);
  static void Put16(std::vector<uint8_t>& out, uint16_t value);

 private:
  struct Item {
    int file;
    int64_t fixedOffset;
    bool isRecord;
    SoundInfo info;
    std::vector<uint8_t> bytes;
    uint32_t address = kInvalid;
  };
  uint32_t Resolve(const Address& a) const;
  size_t TablesSize() const;
  void PutTables(std::vector<uint8_t>& out) const;
  void PutRecord(std::vector<uint8_t>& out, const SoundInfo& info) const;

  std::vector<Item> m_items;
  std::array<std::vector<uint8_t>, kFileCount> m_files;
};
