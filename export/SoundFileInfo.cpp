#include "export/SoundFileInfo.h"

#include "platform/PathUtil.h"

#include <vorbis/vorbisfile.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "audio/OggFileSource.h"
#include "audio/SoundSource.h"
#include "catalogue/SoundCatalogue.h"
#include "codec/XboxAdpcm.h"
#include "export/SoundExport.h"
#include "metafile/SoundInfo.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// The first bytes, for a line that says what lies where a header should be.
std::string Beginning(const std::vector<uint8_t>& bytes) {
  std::string hex;
  for (size_t i = 0; i < bytes.size() && i < 8; ++i) hex += Format(i ? " %02X" : "%02X", bytes[i]);
  return hex;
}

bool BeginsWith(const std::vector<uint8_t>& bytes, const char* id) {
  return bytes.size() >= 4 && std::memcmp(bytes.data(), id, 4) == 0;
}

// Why the WAVE source refused the bytes, as far as their first twelve tell.
std::string WaveRefusal(const std::vector<uint8_t>& bytes) {
  if (BeginsWith(bytes, "OggS")) return "the bytes are Ogg data, but the entry gives a WAV size";
  if (bytes.size() < 12) return Format("only %zu bytes: too short for a RIFF WAVE header", bytes.size());
  if (!BeginsWith(bytes, "RIFF") || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return "no RIFF WAVE header: the stored bytes begin " + Beginning(bytes);
  return "the WAVE header does not parse: a \"fmt \" chunk of at least 16 bytes must come first, with a block "
         "align above 0, and a \"data\" chunk must follow within the stored bytes";
}

void DescribeWave(const StoredSoundBytes& sound, FILE* stream, SoundFileInfo& info) {
  info.container = CONTAINER_WAVE;
  CWaveFileSource source;
  if (!source.OpenStream(stream)) {
    info.container = CONTAINER_UNKNOWN;
    info.problem = WaveRefusal(sound.bytes);
    return;
  }
  const WAVEFORMATEX& wfx = source.m_primary.m_wfx;
  info.wFormatTag = wfx.wFormatTag;
  info.nChannels = wfx.nChannels;
  info.nSamplesPerSec = wfx.nSamplesPerSec;
  info.nAvgBytesPerSec = wfx.nAvgBytesPerSec;
  info.nBlockAlign = wfx.nBlockAlign;
  info.wBitsPerSample = wfx.wBitsPerSample;
  // The source stops right after the "data" chunk's header and keeps the count it claims.
  const long at = std::ftell(stream);
  info.nDataOffset = at > 0 ? static_cast<uint32_t>(at) : 0;
  info.nDataBytes = static_cast<uint32_t>(source.m_nRemaining);
  const size_t stored = sound.bytes.size() - info.nDataOffset;
  info.nDataStored = stored < info.nDataBytes ? static_cast<uint32_t>(stored) : info.nDataBytes;
  if (info.nDataStored < info.nDataBytes)
    info.notes.push_back(Format("the \"data\" chunk claims %u bytes, but only %u follow it in the stored bytes",
                                static_cast<unsigned>(info.nDataBytes), static_cast<unsigned>(info.nDataStored)));

  const uint32_t blocks = info.nDataStored / info.nBlockAlign;
  if (info.wFormatTag == WAVE_FORMAT_PCM) {
    info.nSamplesPerBlock = 1;
  } else if (info.wFormatTag == WAVE_FORMAT_XBOX_ADPCM && info.nChannels > 0 && info.nBlockAlign > 4 * info.nChannels) {
    // A 4-byte header per channel, then two samples per byte.
    info.nSamplesPerBlock = static_cast<uint32_t>(XboxAdpcmSamplesPerBlock(info.nBlockAlign, info.nChannels));
  }
  info.nFrames = uint64_t{blocks} * info.nSamplesPerBlock;
  if (info.nSamplesPerSec > 0) info.dDuration = static_cast<double>(info.nFrames) / info.nSamplesPerSec;

  if (!FormatTagName(info.wFormatTag))
    info.problem = Format("format tag 0x%04X is neither PCM nor Xbox ADPCM: it is not decoded", info.wFormatTag);
  else if (info.nChannels != 1 && info.nChannels != 2)
    info.problem = Format("%u channels: only mono and stereo sounds are decoded", info.nChannels);
  else if (info.nSamplesPerSec == 0)
    info.problem = "a sample rate of 0 Hz";
  else if (info.nSamplesPerBlock == 0)
    info.problem = Format("a block align of %u bytes holds no Xbox ADPCM samples", info.nBlockAlign);
  else if (info.nDataStored % info.nBlockAlign != 0)
    info.notes.push_back(Format("the data ends %u bytes into a block, which are not decoded",
                                static_cast<unsigned>(info.nDataStored % info.nBlockAlign)));
}

std::string OggRefusal(const std::vector<uint8_t>& bytes, FILE* stream) {
  if (BeginsWith(bytes, "RIFF")) return "the bytes are RIFF data, but the entry gives an Ogg size";
  if (!BeginsWith(bytes, "OggS")) return "no Ogg page: the stored bytes begin " + Beginning(bytes);
  // The source does not tell why: ask vorbisfile again for its reason.
  std::rewind(stream);
  const ov_callbacks callbacks = {[](void* p, size_t size, size_t n, void* f) {
                                    return std::fread(p, size, n, static_cast<FILE*>(f));
                                  },
                                  nullptr, [](void*) { return 0; }, nullptr};
  OggVorbis_File vf;
  const int result = ov_open_callbacks(stream, &vf, nullptr, 0, callbacks);
  if (result < 0) {
    switch (result) {
      case OV_ENOTVORBIS: return "the Ogg stream holds no Vorbis audio";
      case OV_EVERSION: return "a Vorbis version vorbisfile does not know";
      case OV_EBADHEADER: return "the Vorbis headers are broken";
      default: return Format("vorbisfile cannot open the stream (error %d)", result);
    }
  }
  std::string reason;
  const vorbis_info* vi = ov_info(&vf, -1);
  if (vi && vi->channels != 1 && vi->channels != 2)
    reason = Format("%d channels: only mono and stereo sounds are decoded", vi->channels);
  else
    reason = "more than one logical stream: only single streams are decoded";
  ov_clear(&vf);
  return reason;
}

void DescribeOgg(const StoredSoundBytes& sound, FILE* stream, SoundFileInfo& info) {
  info.container = CONTAINER_OGG;
  COggFileSource source;
  if (!source.OpenStream(stream)) {
    if (!BeginsWith(sound.bytes, "OggS")) info.container = CONTAINER_UNKNOWN;
    info.problem = OggRefusal(sound.bytes, stream);
    return;
  }
  OggVorbis_File* vf = source.m_pVorbis;
  const vorbis_info* vi = ov_info(vf, -1);
  info.nChannels = static_cast<uint16_t>(vi->channels);
  info.nSamplesPerSec = static_cast<uint32_t>(vi->rate);
  info.nNominalBitrate = vi->bitrate_nominal > 0 ? vi->bitrate_nominal : 0;
  if (const vorbis_comment* vc = ov_comment(vf, -1)) {
    if (vc->vendor) info.vendor = vc->vendor;
    for (int i = 0; i < vc->comments; ++i)
      info.comments.emplace_back(vc->user_comments[i], static_cast<size_t>(vc->comment_lengths[i]));
  }
  const ogg_int64_t frames = ov_pcm_total(vf, -1);
  if (frames >= 0) {
    info.nFrames = static_cast<uint64_t>(frames);
    info.dDuration = static_cast<double>(frames) / info.nSamplesPerSec;
  } else {
    info.notes.push_back("vorbisfile cannot tell the length");
  }
}

}  // namespace

FILE* StoredSoundBytes::OpenStream() const {
  if (bytes.empty()) return nullptr;
  return fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
}

StoredSoundBytes ReadStoredSound(const CSoundListModel* pModel, const SoundListItem* pItem, uint32_t nLimit) {
  StoredSoundBytes sound;
  if (!pModel || !pItem || !pItem->pFile) {
    sound.problem = "no sound file";
    return sound;
  }
  const CSMSoundFile& file = *pItem->pFile;
  sound.pFile = &file;
  sound.bOgg = file.IsOgg();
  sound.nStoredSize = file.GetSize();
  // The reasons of OpenSoundData's refusals, in its order.
  if (sound.nStoredSize == 0) {
    sound.problem = "zero size: the entry stores no bytes";
  } else if (file.IsMissing()) {
    sound.problem = "missing file: the entry has no data location";
  } else if (EqualsIgnoringCase(file.m_name.GetText(), "none")) {
    sound.problem = "the file is named \"none\", which extraction and playback skip";
  } else if (sound.nStoredSize > nLimit) {
    sound.problem = Format("%u stored bytes are more than the %u read here", static_cast<unsigned>(sound.nStoredSize),
                           static_cast<unsigned>(nLimit));
  }
  if (!sound.problem.empty()) return sound;

  FILE* in = OpenSoundData(pModel, pItem, false);
  if (!in) {
    sound.problem = "the metafile cannot be opened or positioned: " + SoundLocationText(file);
    return sound;
  }
  sound.bytes.resize(sound.nStoredSize);
  sound.bytes.resize(std::fread(sound.bytes.data(), 1, sound.bytes.size(), in));
  std::fclose(in);
  if (sound.bytes.empty()) sound.problem = "no stored byte can be read: the metafile ends at " + SoundLocationText(file);
  return sound;
}

std::string SoundLocationText(const CSMSoundFile& file) {
  if (file.IsMissing()) return "none (missing file)";
  const char* name = CSoundCatalogue::GetMetafileName(file.m_data.GetFile());
  return Format("%s at 0x%08X", name ? name : "no metafile", static_cast<unsigned>(file.m_data.GetOffset()));
}

const char* FormatTagName(uint16_t wFormatTag) {
  switch (wFormatTag) {
    case WAVE_FORMAT_PCM: return "PCM";
    case WAVE_FORMAT_XBOX_ADPCM: return "Xbox ADPCM";
    default: return nullptr;
  }
}

SoundFileInfo DescribeStoredSound(const StoredSoundBytes& sound) {
  SoundFileInfo info;
  if (!sound.problem.empty()) {
    info.problem = sound.problem;
    return info;
  }
  FILE* stream = sound.OpenStream();
  if (!stream) {
    info.problem = "the stored bytes cannot be opened as a stream";
    return info;
  }
  if (sound.bOgg)
    DescribeOgg(sound, stream, info);
  else
    DescribeWave(sound, stream, info);
  std::fclose(stream);
  if (sound.bytes.size() < sound.nStoredSize)
    info.notes.insert(info.notes.begin(),
                      Format("the metafile ends after %zu of the %u stored bytes", sound.bytes.size(),
                             static_cast<unsigned>(sound.nStoredSize)));
  return info;
}
