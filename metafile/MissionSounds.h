// Mission sounds: named spoken sounds with mission and speaker-sex flags derived from the name.
#pragma once

#include "metafile/SMRecord.h"

enum : uint16_t {
  SMF_SEX_OTHER = 0x0001,
  SMF_SEX_MALE = 0x0002,
  SMF_SEX_FEMALE = 0x0004,
  SMF_MISSION_01 = 0x0008,
  SMF_MISSION_02 = 0x0010,
  SMF_MISSION_03 = 0x0020,
  SMF_MISSION_04 = 0x0040,
  SMF_MISSION_05 = 0x0080,
  SMF_MISSION_06 = 0x0100,
  SMF_MISSION_OTHER = 0x0200,
  SMF_SEX_MASK = 0x0007,
  SMF_MISSION_MASK = 0x03F8,
};

class CSMMissionSound : public CSMSerializable {
 public:
  static constexpr uint64_t kMinDiskSize = 8;

  CSMMissionSound() = default;
  CSMMissionSound(const CSMMissionSound&) = delete;
  CSMMissionSound& operator=(const CSMMissionSound&) = delete;
  void Serialize(CArchiver& ar) override;
  ~CSMMissionSound() override = default;

  // The flags a sound of this name gets.
  // Sex and mission flags of a name; `n` is its stored length, `s` its text.
  static uint16_t FlagsForName(std::string_view s, uint32_t n);

  CSMString m_name;
  CSMOffset m_info;
  uint16_t m_nFlags = 0;
};

class CSMMissionSoundTable : public CSMArray<CSMMissionSound> {
 public:
  ~CSMMissionSoundTable() override = default;
  void SerializeNumEntries(CArchiver& ar) override;
};
