// Finding the directory of the schema metafile set: the stored setting, the game's
// installation, or the user's choice in a file dialog.
#pragma once

#include <string>

#include "platform/CommDlg.h"
#include "platform/WinTypes.h"

// The file dialog the user picks a metafile in.
inline constexpr const char kMetafileDialogTitle[] = "Please specify path for Quarn SchemaMetafiles";
inline constexpr const char kMetafileDialogFilter[] = "Quarn Sound Files (*.csc)|*.csc";
inline constexpr DWORD kMetafileDialogFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_READONLY;

// Registry names of the stored setting and of the game's installation.
inline constexpr const char kProgramKey[] = "Quarn Vantor";
inline constexpr const char kMetafilePathValue[] = "SchemaMetafile PATH";
inline constexpr const char kGameKey[] = "Feldspire\\Quarnhold";
inline constexpr const char kGameRootValue[] = "FEL_ROOT_PC";

class IMetafileDialog {
 public:
  virtual ~IMetafileDialog() = default;
  // Shows the dialog modally (kMetafileDialogTitle, kMetafileDialogFilter, kMetafileDialogFlags,
  // no default extension or file name). False on cancel; else the chosen file's full path.
  virtual bool DoModal(std::string& chosenPath) = 0;
};

enum class MetafileSource { None, StoredSetting, GameInstallation, Dialog };

// Where LocateMetafiles found the directory.
struct MetafileLocation {
  MetafileSource source = MetafileSource::None;
  std::string origin;    // StoredSetting: the settings file; GameInstallation: the Wine prefix
  std::string gameRoot;  // GameInstallation: FEL_ROOT_PC as the game recorded it
  bool stored = false;   // the directory was written to the setting in this run
};

// True when the five medium variants can be opened in `directory` (names matched ignoring
// case); `result` then gets the directory ending in a separator. Empty text is no directory.
bool ProbeMetafileSet(const char* directory, std::string& result);

// ProbeMetafileSet on root/Content/Qrn/Sounds/, the folder names matched ignoring case.
bool ProbeGameRoot(const char* root, std::string& result);

// The stored setting, else the game's installation root, else `dialog` until the user picks a
// file in a usable directory or cancels (a null dialog is a cancel). A directory found the
// second or third way is stored. `location`, when given, tells where the directory came from.
bool LocateMetafiles(std::string& result, IMetafileDialog* dialog = nullptr, MetafileLocation* location = nullptr);

// Probes `path` as the dialog's choice would be probed: a file stands for its directory, a
// relative path is taken from the current directory, a missing path is no set. `directory`,
// when given, gets the probed directory as written.
bool ProbeChosenPath(const char* path, std::string& result, std::string* directory = nullptr);

enum class StoreResult { Stored, NotAMetafileSet, NotWritten };

// ProbeChosenPath, then stores the directory on success.
StoreResult StoreMetafileDirectory(const char* path, std::string& result);
