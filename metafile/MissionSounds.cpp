#include "metafile/MissionSounds.h"

#include <cstring>

#include "platform/PathUtil.h"

uint16_t CSMMissionSound::FlagsForName(std::string_view s, uint32_t n) {
  int mission = -1;
  if (n > 3 && s.size() >= 3 && s[0] == 'm' && s[1] >= '0' && s[1] <= '9' && s[2] >= '0' && s[2] <= '9')
    mission = 10 * (s[1] - '0') + (s[2] - '0');

  uint16_t flags = 0;
  const size_t underscore = s.rfind('_');
  const std::string_view tail = underscore == std::string_view::npos ? std::string_view() : s.substr(underscore);
  if (EqualsIgnoringCase(tail, "_male"))
    flags |= SMF_SEX_MALE;
  else if (EqualsIgnoringCase(tail, "_female"))
    flags |= SMF_SEX_FEMALE;
  else
    flags |= SMF_SEX_OTHER;

  flags |= (mission >= 1 && mission <= 6) ? static_cast<uint16_t>(SMF_MISSION_01 << (mission - 1))
                                          : static_cast<uint16_t>(SMF_MISSION_OTHER);
  return flags;
}

void CSMMissionSound::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    m_name.Serialize(ar);
    m_info.Serialize(ar);
    m_nFlags = FlagsForName(m_name.GetText(), m_name.m_nLength);
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10, "CSMMissionSound::Serialize [storing]");
  }
}

void CSMMissionSoundTable::SerializeNumEntries(CArchiver& ar) {
  if (!ar.IsLoading()) CArchiver::Throw(10, "CSMMissionSoundTable::SerializeNumEntries [storing]");
  uint16_t count = 0;
  ar.Read(&count, 2);
  m_nCount = count;
}
