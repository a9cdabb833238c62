#include "apps/updexe/update.h"

#include <cctype>

#include "common/sha256.h"
#include "common/update_transaction.h"
#include "platform/atomic_file.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

constexpr size_t kCapacity = 260;
constexpr const char* kHeader = "Zorwise update";
constexpr const char* kVersionTag = "Version:";

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

constexpr const char* kShippedFiles[] = {
#include "shipped_files.inc"
};

bool IsSha256Hex(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

bool IsShippedFile(std::string_view name, std::string* canonical) {
  for (const char* shipped : kShippedFiles) {
    if (Lower(shipped) == Lower(name)) {
      if (canonical) *canonical = shipped;
      return true;
    }
  }
  return false;
}

bool ParseManifest(std::string_view text, UpdateManifest& manifest, std::string* error) {
  manifest = UpdateManifest();
  bool header = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;
    const auto bad = [&] {
      if (error) *error = std::string(line);
      return false;
    };
    if (!header) {
      if (line != kHeader) return bad();
      header = true;
    } else if (line.substr(0, std::string_view(kVersionTag).size()) == kVersionTag) {
      int order = 0;
      const std::string_view version = Trim(line.substr(std::string_view(kVersionTag).size()));
      if (!manifest.version.empty() || !CompareVersions(version, version, &order)) return bad();
      manifest.version = std::string(version);
    } else {
      const size_t gap = line.find_first_of(" \t");
      if (gap == std::string_view::npos) return bad();
      const std::string_view hash = line.substr(0, gap);
      const std::string_view name = Trim(line.substr(gap));
      std::string shipped;
      if (!IsSha256Hex(hash) || !IsShippedFile(name, &shipped)) return bad();
      for (const ManifestEntry& seen : manifest.files) {
        if (seen.name == shipped) return bad();
      }
      manifest.files.push_back({Lower(hash), shipped});
    }
  }
  if (error) *error = !header ? "no header" : manifest.version.empty() ? "no version" : "no files";
  return header && !manifest.version.empty() && !manifest.files.empty();
}

bool CompareVersions(std::string_view a, std::string_view b, int* order) {
  const auto parts = [](std::string_view text, std::vector<unsigned long>& out) {
    if (text.empty()) return false;
    size_t start = 0;
    while (true) {
      size_t end = text.find('.', start);
      const std::string_view part = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
      if (part.empty() || part.size() > 9) return false;
      unsigned long value = 0;
      for (char c : part) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
      }
      out.push_back(value);
      if (end == std::string_view::npos) return true;
      start = end + 1;
    }
  };
  std::vector<unsigned long> pa, pb;
  if (!parts(a, pa) || !parts(b, pb)) return false;
  *order = 0;
  for (size_t i = 0; i < pa.size() || i < pb.size(); ++i) {
    const unsigned long x = i < pa.size() ? pa[i] : 0;
    const unsigned long y = i < pb.size() ? pb[i] : 0;
    if (x != y) {
      *order = x < y ? -1 : 1;
      break;
    }
  }
  return true;
}

std::string UpdateFolder(InfoStore& store, const std::string& programDir) {
  const std::string folder = store.Read("Update", "Folder", "", kCapacity);
  return folder.empty() ? JoinPath(programDir, "Updates") : folder;
}

namespace {

// Does the work on the program files with zor2 and the service stopped, and starts again what
// ran; when either would not stop, the work is not done and the status says so.
template <typename Work>
void WithProgramsStopped(UpdateControl& control, UpdateResult& result, Work work) {
  if (!control.StopZor2(&result.zor2Ran)) {
    result.status = UpdateStatus::StopFailed;
    result.detail = "zor2.exe";
    return;
  }
  if (!control.StopService(&result.serviceRan)) {
    if (result.zor2Ran) result.zor2Started = control.StartZor2();
    result.status = UpdateStatus::StopFailed;
    result.detail = "Zor2Svr.exe";
    return;
  }
  work();
  if (result.serviceRan) result.serviceStarted = control.StartService();
  if (result.zor2Ran) result.zor2Started = control.StartZor2();
}

UpdateStatus RecoveryStatus(RecoveryOutcome outcome) {
  switch (outcome) {
    case RecoveryOutcome::Finished:
      return UpdateStatus::InterruptedFinished;
    case RecoveryOutcome::Undone:
      return UpdateStatus::InterruptedUndone;
    case RecoveryOutcome::None:
    case RecoveryOutcome::Incomplete:
      break;
  }
  return UpdateStatus::InterruptedStuck;
}

}  // namespace

UpdateResult RunUpdate(InfoStore& store, const UpdatePorts& ports, const std::string& programDir,
                       const std::string& builtVersion) {
  UpdateControl& control = ports.control;
  FileOps& files = ports.files;
  UpdateResult result;
  result.installedVersion = store.Read("Update", "Version", builtVersion, kCapacity);
  int order = 0;
  if (!CompareVersions(result.installedVersion, result.installedVersion, &order)) {
    result.installedVersion = builtVersion;
  }

  // An update a power cut interrupted comes first, and alone: the user sees what became of it.
  if (UpdateInterrupted(files, programDir)) {
    WithProgramsStopped(control, result, [&] {
      const RecoveryResult recovered = RecoverUpdate(files, store, ports.listing, programDir);
      result.status = RecoveryStatus(recovered.outcome);
      result.packageVersion = recovered.version;
    });
    return result;
  }

  const std::string folder = UpdateFolder(store, programDir);
  std::string text;
  if (files.Read(JoinPath(folder, "manifest.txt"), text) != FileRead::Ok) {
    result.status = UpdateStatus::NoPackage;
    result.detail = folder;
    return result;
  }
  // A folder others may write could have its files swapped once checked.
  bool othersMayWrite = true;
  if (!ports.folders.OthersMayWrite(folder, &othersMayWrite) || othersMayWrite) {
    result.status = UpdateStatus::OpenFolder;
    result.detail = folder;
    return result;
  }
  // The checksums travel with the files: only the signature says who listed them.
  std::string signature;
  if (files.Read(JoinPath(folder, "manifest.sig"), signature) != FileRead::Ok ||
      !ports.origin.Verify(text, signature)) {
    result.status = UpdateStatus::BadSignature;
    result.detail = folder;
    return result;
  }
  UpdateManifest manifest;
  if (!ParseManifest(text, manifest, &result.detail)) {
    result.status = UpdateStatus::BadManifest;
    return result;
  }
  result.packageVersion = manifest.version;
  CompareVersions(manifest.version, result.installedVersion, &order);
  if (order <= 0) {
    result.status = UpdateStatus::UpToDate;
    return result;
  }

  // Every file is read and checked before anything changes; what is written is what was checked.
  std::vector<NewFile> contents;
  for (const ManifestEntry& entry : manifest.files) {
    std::string content;
    if (files.Read(JoinPath(folder, entry.name), content) != FileRead::Ok) {
      result.status = UpdateStatus::MissingFile;
      result.detail = entry.name;
      return result;
    }
    if (Sha256Hex(content) != entry.sha256) {
      result.status = UpdateStatus::HashMismatch;
      result.detail = entry.name;
      return result;
    }
    contents.push_back({entry.name, std::move(content)});
  }

  WithProgramsStopped(control, result, [&] {
    const CommitResult commit = CommitUpdate(files, store, ports.listing, programDir, manifest.version, contents);
    result.detail = commit.file;
    switch (commit.outcome) {
      case CommitOutcome::Done:
        result.status = UpdateStatus::Applied;
        break;
      case CommitOutcome::NotWritten:
      case CommitOutcome::RolledBack:
        result.status = UpdateStatus::ReplaceFailed;
        break;
      case CommitOutcome::RollbackIncomplete:
        result.status = UpdateStatus::RollbackFailed;
        break;
    }
  });
  return result;
}

namespace {

// What became of zor2 and the service after the update, as it happened.
std::vector<std::string> DescribeRestarts(const UpdateResult& r) {
  if (r.serviceRan && r.serviceStarted && r.zor2Ran && r.zor2Started) {
    return {"The service and the program were started again."};
  }
  std::vector<std::string> lines;
  if (r.serviceRan) {
    lines.push_back(r.serviceStarted ? "The service was started again."
                                     : "The service did not start again: see Satae.log.");
  }
  if (r.zor2Ran) {
    lines.push_back(r.zor2Started ? "The program was started again." : "The program could not be started again.");
  }
  return lines;
}

std::vector<std::string> WithRestarts(std::vector<std::string> lines, const UpdateResult& r) {
  for (std::string& line : DescribeRestarts(r)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

std::vector<std::string> DescribeUpdate(const UpdateResult& r) {
  switch (r.status) {
    case UpdateStatus::UpToDate:
      return {"Zorwise is up to date.", "Installed version: " + r.installedVersion + "."};
    case UpdateStatus::Applied:
      return WithRestarts({"Zorwise was updated to version " + r.packageVersion + "."}, r);
    case UpdateStatus::NoPackage:
      return {"No update package was found in", r.detail + "."};
    case UpdateStatus::OpenFolder:
      return {"Users other than administrators can change the update folder", r.detail + ":",
              "nothing was changed."};
    case UpdateStatus::BadSignature:
      return {"The update package is not signed by Zorwise.", "Nothing was changed."};
    case UpdateStatus::BadManifest:
      return {"The update package's manifest is not valid.", "Nothing was changed."};
    case UpdateStatus::MissingFile:
      return {"The update package lacks " + r.detail + ".", "Nothing was changed."};
    case UpdateStatus::HashMismatch:
      return {"The update package is damaged or altered:", r.detail + " does not match its checksum.",
              "Nothing was changed."};
    case UpdateStatus::StopFailed:
      return {"The update could not stop " + r.detail + ".", "Nothing was changed."};
    case UpdateStatus::ReplaceFailed:
      return WithRestarts({"The update could not write " + r.detail + ".", "The previous files were put back."}, r);
    case UpdateStatus::RollbackFailed:
      return {"The update could not write " + r.detail + ", and not all previous files",
              "could be put back. The next start of the service or of Updexe", "tries again to finish or undo it."};
    case UpdateStatus::InterruptedFinished:
      return WithRestarts({"An interrupted update to version " + r.packageVersion + " was finished."}, r);
    case UpdateStatus::InterruptedUndone:
      return WithRestarts({"An interrupted update to version " + r.packageVersion + " was undone:",
                           "the previous files are in place."}, r);
    case UpdateStatus::InterruptedStuck:
      return {"An interrupted update could neither be finished nor undone.",
              "The next start of the service or of Updexe tries again."};
  }
  return {};
}

}  // namespace zor
