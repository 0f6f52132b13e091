// Ogg Vorbis data decoded with vorbisfile into 16-bit PCM.
#pragma once

#include "audio/SoundSource.h"

struct OggVorbis_File;

class COggFileSource : public CSoundSource {
 public:
  ~COggFileSource() override;
  // Accepts one logical stream of 1 or 2 channels.
  bool OpenFormat() override;
  bool CloseFormat() override;
  int Read(BYTE* pBuffer, int* pnLength) override;

  OggVorbis_File* m_pVorbis = nullptr;  // owned
};
