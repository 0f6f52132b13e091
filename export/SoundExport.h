// Getting one list row's stored sound out of the metafile set: a raw copy, a decoded PCM
// WAVE file, or the temporary playback file. Files are written into the current directory
// under a temporary name and replace files of the same name only once complete; a failure
// leaves no file behind. `pReason`, when given, receives why a worker failed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ProgressSink.h"
#include "views/SoundListModel.h"

// The file the stored bytes are copied to for playback.
inline constexpr char kPlaybackFileName[] = "Vantor.tmp";

// The metafile holding the item's stored bytes, positioned at their first byte; the caller
// closes it. Null when the entry has nothing to open (no entry, both sizes 0, no location, the
// name "none"; with `bNeedWav` also no WAV size) or its metafile cannot be opened there.
FILE* OpenSoundData(const CSoundListModel* pModel, const SoundListItem* pItem, bool bNeedWav);

// The stored bytes unchanged, as "<name>.ogg" for Ogg Vorbis data, else "<name>.wav".
bool ExtractRaw(const CSoundListModel* pModel, const SoundListItem* pItem, std::string* pReason = nullptr);
// A canonical PCM WAVE file "<name>.wav", Xbox ADPCM decoded to 16 bits; Ogg Vorbis data
// is copied raw.
bool ExtractWave(const CSoundListModel* pModel, const SoundListItem* pItem, std::string* pReason = nullptr);
// ExtractWave's work once the sound is found: decodes the WAVE sound of nStored bytes at
// pIn's position (-1: up to the stream's end) into a PCM WAVE file at pszPath. The output
// file is created only when the header parses and the chain can be built. False as well
// when the data chunk claims more than the stored bytes hold; what they hold is written.
bool ExtractWaveStream(FILE* pIn, int64_t nStored, const char* pszPath, std::string* pReason = nullptr);
// Copies the stored bytes to the playback file and hands it to the audio controller, if
// there is one.
bool PlayItem(const CSoundListModel* pModel, const SoundListItem* pItem);

// The output file name for a sound named `pszName` (null: none): one file name in the
// current directory. Path separators, colons (drives) and control characters become '_';
// false when nothing usable is left (empty, "." or "..").
bool MakeOutputFileName(std::string_view name, const char* pszExtension, std::string& fileName);

struct ExtractReport {
  long nExtracted = 0;
  std::vector<std::string> failures;  // "row R: FILE: reason", then a line when the run stopped
  std::vector<std::string> notes;     // rows saved under a numbered name
  std::vector<std::string> files;     // the files written, once each, in row order
};

// The Extract command's work: ExtractRaw or ExtractWave over the model's rows (0-based, in
// the given order), one progress step per row, rows without an item counting as failures.
// Rows of one stored sound (place and size) share its file; a different sound of a name
// already written gets "name (2).ext" and on. A folder that refuses a file ends the run.
// Files go into `folder` (empty: the current directory).
ExtractReport ExtractRows(const CSoundListModel& model, const std::vector<int64_t>& rows, bool bRaw,
                          IProgressSink* pProgress, const std::string& folder = {});

// True while g_pAudio plays the sound that the item's row last started.
bool IsItemPlaying(const SoundListItem* pItem);
