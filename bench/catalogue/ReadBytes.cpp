// Prints the on-disk size of what loading a set reads: the three tables from byte 13 of file 2
// and every distinct sound information record read; and what the load cost this process: the
// anonymous memory it added (RssAnon), the mapped file bytes it touched (RssFile) and its minor
// page faults. Usage: catalogue_read_bytes DIR/
#include <cstdio>
#include <sys/resource.h>

#include "bench/support/ProcStatus.h"
#include "catalogue/SoundCatalogue.h"

namespace {

uint64_t StringBytes(const CSMString& s) { return 4 + s.m_nLength; }

uint64_t RecordBytes(const CSMSoundInfo& info) {
  uint64_t n = CSMSoundInfo::kUnknownSize + 1;
  for (int32_t j = 0; j < info.m_nFileCount; ++j) {
    const CSMSoundFile& f = info.m_pFiles[j];
    n += StringBytes(f.m_name) + 4 + 12;
    for (const CSMString& s : f.m_subtitles) n += StringBytes(s);
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: catalogue_read_bytes DIR/\n");
    return 2;
  }
  CSoundCatalogue c;
  rusage before, after;
  const long anonBefore = StatusKb("RssAnon:"), fileBefore = StatusKb("RssFile:");
  getrusage(RUSAGE_SELF, &before);
  if (!c.Load(argv[1], nullptr, stderr)) return 1;
  getrusage(RUSAGE_SELF, &after);
  const long anonAfter = StatusKb("RssAnon:"), fileAfter = StatusKb("RssFile:");

  uint64_t tables = 1 + 2 + 2;
  for (int32_t t = 0; t < c.m_soundTags.GetCount(); ++t) {
    const CSMSoundTag& tag = c.m_soundTags[t];
    tables += StringBytes(tag.m_name);
    if (tag.m_name.GetText().substr(0, 1) == "+") {
      tables += 2;
      for (int32_t s = 0; s < tag.m_nSubCount; ++s) tables += StringBytes(tag.m_pSubNames[s]);
    }
  }
  for (int32_t i = 0; i < c.m_taggedSounds.GetCount(); ++i) tables += 1 + 5 * c.m_taggedSounds[i].m_nTagCount + 4;
  for (int32_t i = 0; i < c.m_missionSounds.GetCount(); ++i) tables += StringBytes(c.m_missionSounds[i].m_name) + 4;

  uint64_t records = 0;
  for (int32_t r = 0; r < c.m_soundInfos.GetLoadedCount(); ++r) records += RecordBytes(c.m_soundInfos.m_pData[r]);

  printf("tables %llu\nrecords %llu\nrecords_read %d\ntotal %llu\n", static_cast<unsigned long long>(tables),
         static_cast<unsigned long long>(records), c.m_soundInfos.GetLoadedCount(),
         static_cast<unsigned long long>(tables + records));
  printf("anon_kib %ld\nanon_kib_added %ld\nfile_kib_added %ld\nminor_faults %ld\n", anonAfter, anonAfter - anonBefore,
         fileAfter - fileBefore, after.ru_minflt - before.ru_minflt);
  return 0;
}
