#include "common/update_transaction.h"

#include <string_view>

#include "common/sha256.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

constexpr std::string_view kHeader = "Zorwise update journal";
constexpr std::string_view kVersionTag = "Version: ";
constexpr std::string_view kStateTag = "State: ";
constexpr std::string_view kStaging = "staging";
constexpr std::string_view kCommit = "commit";
constexpr std::string_view kNoOldFile = "-";

struct JournalFile {
  std::string name;
  std::string newHash;
  std::string oldHash;  // empty: the update adds the file
};

struct Journal {
  std::string version;
  bool commit = false;  // every new file and old copy is on the disk
  std::vector<JournalFile> files;
};

std::string Format(const Journal& journal) {
  std::string text = std::string(kHeader) + "\r\n";
  text += std::string(kVersionTag) + journal.version + "\r\n";
  text += std::string(kStateTag) + std::string(journal.commit ? kCommit : kStaging) + "\r\n";
  for (const JournalFile& f : journal.files) {
    text += (f.newHash.empty() ? std::string(kNoOldFile) : f.newHash) + " " +
            (f.oldHash.empty() ? std::string(kNoOldFile) : f.oldHash) + " " + f.name + "\r\n";
  }
  return text;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string_view::npos;
}

bool Parse(std::string_view text, Journal& journal) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (lines.size() < 3 || lines[0] != kHeader || lines[1].substr(0, kVersionTag.size()) != kVersionTag ||
      lines[2].substr(0, kStateTag.size()) != kStateTag) {
    return false;
  }
  journal.version = std::string(lines[1].substr(kVersionTag.size()));
  const std::string_view state = lines[2].substr(kStateTag.size());
  if (state != kStaging && state != kCommit) return false;
  journal.commit = state == kCommit;
  for (size_t i = 3; i < lines.size(); ++i) {
    const size_t first = lines[i].find(' ');
    const size_t second = first == std::string_view::npos ? first : lines[i].find(' ', first + 1);
    if (second == std::string_view::npos) return false;
    JournalFile f;
    f.newHash = std::string(lines[i].substr(0, first));
    f.oldHash = std::string(lines[i].substr(first + 1, second - first - 1));
    f.name = std::string(lines[i].substr(second + 1));
    if (f.newHash == kNoOldFile) f.newHash.clear();
    if (f.oldHash == kNoOldFile) f.oldHash.clear();
    if (!IsPlainName(f.name) || (journal.commit && f.newHash.empty())) return false;
    journal.files.push_back(std::move(f));
  }
  return !journal.files.empty();
}

class Places {
 public:
  explicit Places(const std::string& dir) : m_dir(dir) {}
  std::string File(const std::string& name) const { return JoinPath(m_dir, name); }
  std::string New(const std::string& name) const { return File(name) + ".new"; }
  std::string Old(const std::string& name) const { return File(name) + ".old"; }
  // Where a running program that cannot be replaced steps aside.
  std::string Aside(const std::string& name) const { return File(name) + ".del"; }
  std::string Journal() const { return File(kUpdateJournalName); }

 private:
  std::string m_dir;
};

bool WriteJournal(FileOps& ops, const Places& at, const Journal& journal) {
  const std::string temp = at.Journal() + ".tmp";
  return ops.WriteFlushed(temp, Format(journal)) && ops.Move(temp, at.Journal(), true);
}

bool HashIs(FileOps& ops, const std::string& path, const std::string& hash) {
  std::string content;
  return ops.Read(path, content) == FileRead::Ok && Sha256Hex(content) == hash;
}

// source takes target's place. A running program (Updexe itself) cannot be replaced but can be
// renamed: it steps aside first, its copy being safe in "<name>.old".
bool PutInPlace(FileOps& ops, const std::string& source, const std::string& target, const std::string& aside) {
  if (ops.Move(source, target, true)) return true;
  return ops.Exists(target) && ops.Move(target, aside, true) && ops.Move(source, target, false);
}

// Before the commit the program files are untouched: only the copies beside them go.
bool UndoStaging(FileOps& ops, const Places& at, const Journal& journal) {
  bool clean = true;
  for (const JournalFile& f : journal.files) {
    clean &= ops.Remove(at.New(f.name));
    if (ops.Exists(at.File(f.name))) clean &= ops.Remove(at.Old(f.name));
  }
  return clean && ops.Remove(at.Journal());
}

bool CanFinish(FileOps& ops, const Places& at, const Journal& journal) {
  for (const JournalFile& f : journal.files) {
    const std::string& source = ops.Exists(at.New(f.name)) ? at.New(f.name) : at.File(f.name);
    if (!HashIs(ops, source, f.newHash)) return false;
  }
  return true;
}

bool Finish(FileOps& ops, const Places& at, const Journal& journal) {
  for (const JournalFile& f : journal.files) {
    if (ops.Exists(at.New(f.name)) && !PutInPlace(ops, at.New(f.name), at.File(f.name), at.Aside(f.name))) {
      return false;
    }
  }
  return true;
}

// The old copies go only once the new files are all in place; a program still running from its
// renamed file keeps that until the next update.
void CleanUp(FileOps& ops, const Places& at, const Journal& journal) {
  for (const JournalFile& f : journal.files) {
    ops.Remove(at.Old(f.name));
    ops.Remove(at.Aside(f.name));
  }
  ops.Remove(at.Journal());
}

// The new version is recorded everywhere it shows before the journal goes: once the journal is
// gone nobody finishes the update again. An uninstall entry that cannot be set (an MSI
// installation has none of the setup's) does not stop the update.
bool Conclude(FileOps& ops, InfoStore& store, VersionListing& listing, const Places& at, const Journal& journal) {
  if (!store.Write("Update", "Version", journal.version)) return false;
  listing.Record(journal.version);
  CleanUp(ops, at, journal);
  return true;
}

// Puts every old file back from its copy, then removes what the update added. Until every old
// file is back the new files stay too, and so does the journal, for the next start to try again.
bool RollBack(FileOps& ops, const Places& at, const Journal& journal) {
  bool back = true;
  for (auto it = journal.files.rbegin(); it != journal.files.rend(); ++it) {
    const std::string file = at.File(it->name);
    if (it->oldHash.empty() || HashIs(ops, file, it->oldHash)) continue;
    back &= HashIs(ops, at.Old(it->name), it->oldHash) &&
            PutInPlace(ops, at.Old(it->name), file, at.Aside(it->name)) && HashIs(ops, file, it->oldHash);
  }
  if (!back) return false;
  for (const JournalFile& f : journal.files) {
    back &= ops.Remove(at.New(f.name));
    if (f.oldHash.empty()) back &= ops.Remove(at.File(f.name));
  }
  if (!back) return false;
  CleanUp(ops, at, journal);
  return !ops.Exists(at.Journal());
}

}  // namespace

CommitResult CommitUpdate(FileOps& ops, InfoStore& store, VersionListing& listing, const std::string& dir,
                          const std::string& version, const std::vector<NewFile>& files) {
  const Places at(dir);
  Journal journal;
  journal.version = version;
  for (const NewFile& file : files) journal.files.push_back({file.name, "", ""});
  if (!WriteJournal(ops, at, journal)) return {CommitOutcome::NotWritten, kUpdateJournalName};

  for (size_t i = 0; i < files.size(); ++i) {
    JournalFile& f = journal.files[i];
    f.newHash = Sha256Hex(files[i].content);
    std::string old;
    const FileRead read = ops.Read(at.File(f.name), old);
    if (read == FileRead::Ok) f.oldHash = Sha256Hex(old);
    const bool staged = ops.WriteFlushed(at.New(f.name), files[i].content) && HashIs(ops, at.New(f.name), f.newHash) &&
                        read != FileRead::Failed &&
                        (read == FileRead::Missing ||
                         (ops.WriteFlushed(at.Old(f.name), old) && HashIs(ops, at.Old(f.name), f.oldHash)));
    if (!staged) {
      UndoStaging(ops, at, journal);
      return {CommitOutcome::NotWritten, f.name};
    }
  }
  journal.commit = true;
  if (!WriteJournal(ops, at, journal)) {
    UndoStaging(ops, at, journal);
    return {CommitOutcome::NotWritten, kUpdateJournalName};
  }

  for (const JournalFile& f : journal.files) {
    if (!PutInPlace(ops, at.New(f.name), at.File(f.name), at.Aside(f.name))) {
      const bool back = RollBack(ops, at, journal);
      return {back ? CommitOutcome::RolledBack : CommitOutcome::RollbackIncomplete, f.name};
    }
  }
  if (!Conclude(ops, store, listing, at, journal)) {
    const bool back = RollBack(ops, at, journal);
    return {back ? CommitOutcome::RolledBack : CommitOutcome::RollbackIncomplete, "INFO.DAT"};
  }
  return {CommitOutcome::Done, ""};
}

bool UpdateInterrupted(FileOps& ops, const std::string& dir) { return ops.Exists(Places(dir).Journal()); }

RecoveryResult RecoverUpdate(FileOps& ops, InfoStore& store, VersionListing& listing, const std::string& dir) {
  const Places at(dir);
  std::string text;
  const FileRead read = ops.Read(at.Journal(), text);
  if (read == FileRead::Missing) return {RecoveryOutcome::None, ""};
  Journal journal;
  if (read != FileRead::Ok || !Parse(text, journal)) return {RecoveryOutcome::Incomplete, ""};
  if (!journal.commit) {
    return {UndoStaging(ops, at, journal) ? RecoveryOutcome::Undone : RecoveryOutcome::Incomplete, journal.version};
  }
  if (CanFinish(ops, at, journal) && Finish(ops, at, journal) && Conclude(ops, store, listing, at, journal)) {
    return {RecoveryOutcome::Finished, journal.version};
  }
  return {RollBack(ops, at, journal) ? RecoveryOutcome::Undone : RecoveryOutcome::Incomplete, journal.version};
}

}  // namespace zor
