// An archive over the metafile set: opens metafiles by number and moves between them.
#pragma once

#include <cstdio>

#include "metafile/Archiver.h"
#include "metafile/SMRecord.h"

// Supplies newly opened metafile streams ("rb") by file number; the caller owns them.
class CSMMetafileProvider {
 public:
  virtual FILE* OpenMetafile(int32_t nFile) = 0;

 protected:
  ~CSMMetafileProvider() = default;
};

class CSMFileArchiver : public CArchiver {
 public:
  CSMFileArchiver() = default;
  ~CSMFileArchiver() override;

  using CArchiver::Open;
  void Open(CSMMetafileProvider* pOwner, int32_t nFile, int32_t mode);
  void Reopen(int32_t nFile);
  void Seek(const CSMOffset& target);
  void Seek(int32_t offset, int origin);
  CSMOffset& GetPosition();

  void Close() override;
  FILE* Detach() override;

 private:
  void RefreshPosition();

  CSMMetafileProvider* m_pOwner = nullptr;
  CSMOffset m_position;
};
