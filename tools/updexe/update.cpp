#include "tools/updexe/update.h"

#include <cctype>
#include <cstdio>

#include "common/sha256.h"
#include "platform/atomic_file.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

constexpr size_t kCapacity = 260;
constexpr size_t kMaxNameLength = 64;
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

bool EndsWith(const std::string& text, const char* suffix) {
  const std::string s(suffix);
  return text.size() > s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// A plain file name of a program, library or the help file.
bool IsProgramFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') return false;
  }
  const std::string lower = Lower(name);
  return EndsWith(lower, ".exe") || EndsWith(lower, ".dll") || EndsWith(lower, ".chm");
}

bool IsSha256Hex(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

struct Replaced {
  std::string target;
  std::string backup;
  bool hadOld;
};

// Puts the old files back after a failed replace, newest first.
void RollBack(const std::vector<Replaced>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    std::remove(it->target.c_str());
    if (it->hadOld) std::rename(it->backup.c_str(), it->target.c_str());
  }
}

}  // namespace

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
      if (!IsSha256Hex(hash) || !IsProgramFileName(name)) return bad();
      for (const ManifestEntry& seen : manifest.files) {
        if (Lower(seen.name) == Lower(name)) return bad();
      }
      manifest.files.push_back({Lower(hash), std::string(name)});
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

UpdateResult RunUpdate(InfoStore& store, UpdateControl& control, const std::string& programDir,
                       const std::string& builtVersion) {
  UpdateResult result;
  result.installedVersion = store.Read("Update", "Version", builtVersion, kCapacity);
  int order = 0;
  if (!CompareVersions(result.installedVersion, result.installedVersion, &order)) {
    result.installedVersion = builtVersion;
  }
  const std::string folder = UpdateFolder(store, programDir);

  std::string text;
  if (ReadWholeFile(JoinPath(folder, "manifest.txt"), text) != FileRead::Ok) {
    result.status = UpdateStatus::NoPackage;
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
  std::vector<std::string> contents;
  for (const ManifestEntry& entry : manifest.files) {
    std::string content;
    if (ReadWholeFile(JoinPath(folder, entry.name), content) != FileRead::Ok) {
      result.status = UpdateStatus::MissingFile;
      result.detail = entry.name;
      return result;
    }
    if (Sha256Hex(content) != entry.sha256) {
      result.status = UpdateStatus::HashMismatch;
      result.detail = entry.name;
      return result;
    }
    contents.push_back(std::move(content));
  }

  bool zor2Ran = false;
  bool serviceRan = false;
  if (!control.StopZor2(&zor2Ran)) {
    result.status = UpdateStatus::StopFailed;
    result.detail = "zor2.exe";
    return result;
  }
  if (!control.StopService(&serviceRan)) {
    if (zor2Ran) control.StartZor2();
    result.status = UpdateStatus::StopFailed;
    result.detail = "Zor2Svr.exe";
    return result;
  }

  // The old file steps aside first: a running program (this one) can be renamed, not overwritten.
  std::vector<Replaced> done;
  result.status = UpdateStatus::Applied;
  for (size_t i = 0; i < manifest.files.size(); ++i) {
    Replaced step{JoinPath(programDir, manifest.files[i].name), "", false};
    step.backup = step.target + ".old";
    std::remove(step.backup.c_str());
    step.hadOld = std::rename(step.target.c_str(), step.backup.c_str()) == 0;
    // An old file that would not step aside is in use: never write over it unkept.
    const bool blocked = !step.hadOld && StampFile(step.target).exists;
    if (!blocked) done.push_back(step);
    std::string written;
    if (blocked || ReplaceWholeFile(step.target, contents[i]) != FileWrite::Ok || ReadWholeFile(step.target, written) != FileRead::Ok ||
        written != contents[i]) {
      RollBack(done);
      result.status = UpdateStatus::ReplaceFailed;
      result.detail = manifest.files[i].name;
      break;
    }
  }
  if (result.status == UpdateStatus::Applied) {
    // A program still running (this one) keeps its old file until the next update clears it.
    for (const Replaced& step : done) std::remove(step.backup.c_str());
    store.Write("Update", "Version", manifest.version);
  }
  if (serviceRan) control.StartService();
  if (zor2Ran) control.StartZor2();
  result.serviceStarted = serviceRan;
  result.zor2Started = zor2Ran;
  return result;
}

std::vector<std::string> DescribeUpdate(const UpdateResult& r) {
  switch (r.status) {
    case UpdateStatus::UpToDate:
      return {"Zorwise is up to date.", "Installed version: " + r.installedVersion + "."};
    case UpdateStatus::Applied: {
      std::vector<std::string> lines{"Zorwise was updated to version " + r.packageVersion + "."};
      if (r.serviceStarted && r.zor2Started) lines.push_back("The service and the program were started again.");
      else if (r.serviceStarted) lines.push_back("The service was started again.");
      else if (r.zor2Started) lines.push_back("The program was started again.");
      return lines;
    }
    case UpdateStatus::NoPackage:
      return {"No update package was found in", r.detail + "."};
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
      return {"The update could not write " + r.detail + ".", "The previous files were put back."};
  }
  return {};
}

}  // namespace zor
