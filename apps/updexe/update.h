// Updexe.exe's work, apart from the window and the system: read a local update package, compare its
// version with the installed one, check every file against the manifest's SHA-256 and only then
// replace the program files, with the service and zor2 stopped around the replace.
//
// A package is a folder (by default "Updates" beside the programs; INFO.DAT [Update] "Folder"
// names another) holding the new files and manifest.txt:
//   Zorwise update
//   Version: 2.1
//   <64 hex digits of SHA-256>  <file name>
//   ...
// and manifest.sig, the manifest's signature by the key built into Updexe (signature_check.h;
// tools/zorpack makes both). The checksums then prove the files are those the signer listed.
// File names are those of the files the installer ships (programs, skins, the help file): a package
// cannot reach outside the program folder, replace INFO.DAT nor the board maker's libraries. The
// installed version is INFO.DAT [Update] "Version", written after each applied update; before the
// first, the version built in. The files are replaced all-or-nothing (common/update_transaction.h);
// an update a power cut interrupted is finished or undone before anything else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/info_store.h"
#include "platform/file_ops.h"
#include "platform/uninstall_entry.h"
#include "apps/updexe/folder_access.h"
#include "apps/updexe/signature_check.h"

namespace zor {

struct ManifestEntry {
  std::string sha256;  // lower case
  std::string name;
};

struct UpdateManifest {
  std::string version;
  std::vector<ManifestEntry> files;
};

// Whether name is one of the files the installer ships; *canonical is its spelling there.
bool IsShippedFile(std::string_view name, std::string* canonical);

// False (with the offending line in *error) for anything but a well-formed manifest.
bool ParseManifest(std::string_view text, UpdateManifest& manifest, std::string* error);

// Dotted decimal versions ("2", "2.0.1"): true and *order < 0, 0 or > 0 as a is older, the same
// or newer than b; missing parts count as 0. False when either is not such a version.
bool CompareVersions(std::string_view a, std::string_view b, int* order);

// What an update stops and starts again around the replace.
class UpdateControl {
 public:
  virtual ~UpdateControl() = default;
  // Ends zor2 if it runs; *wasRunning tells whether it did. False when it could not be ended.
  virtual bool StopZor2(bool* wasRunning) = 0;
  // True when zor2 was started.
  virtual bool StartZor2() = 0;
  // Stops the service if it runs; *wasRunning tells whether it did. False when it did not stop or
  // its state could not be read.
  virtual bool StopService(bool* wasRunning) = 0;
  // True when the service runs again.
  virtual bool StartService() = 0;
};

enum class UpdateStatus {
  UpToDate,
  Applied,
  NoPackage,      // no manifest.txt in the update folder
  BadManifest,    // malformed, or naming a file the installer does not ship
  MissingFile,    // a listed file is not in the package
  HashMismatch,   // a listed file differs from its checksum
  StopFailed,     // zor2 or the service would not stop; nothing was replaced
  ReplaceFailed,  // a file could not be written; the old files were put back
  RollbackFailed,       // and not every old file could be put back
  InterruptedFinished,  // an update a power cut interrupted was finished
  InterruptedUndone,    // or undone
  InterruptedStuck,     // or neither could be done
  BadSignature,         // the manifest is not signed with the key built in
  OpenFolder,           // users other than administrators may change the package's folder
};

struct UpdateResult {
  UpdateStatus status = UpdateStatus::NoPackage;
  std::string installedVersion;
  std::string packageVersion;
  std::string detail;  // the file or manifest line concerned
  bool serviceRan = false;  // before the update
  bool zor2Ran = false;
  bool serviceStarted = false;  // running again afterwards
  bool zor2Started = false;
};

// The update folder: INFO.DAT [Update] "Folder", or "Updates" in programDir.
std::string UpdateFolder(InfoStore& store, const std::string& programDir);

// What an update works with besides INFO.DAT.
struct UpdatePorts {
  UpdateControl& control;
  FileOps& files;
  SignatureCheck& origin;
  FolderAccess& folders;
  VersionListing& listing;
};

UpdateResult RunUpdate(InfoStore& store, const UpdatePorts& ports, const std::string& programDir,
                       const std::string& builtVersion);

// Up to three short lines saying what happened, for the notice window.
std::vector<std::string> DescribeUpdate(const UpdateResult& result);

}  // namespace zor
