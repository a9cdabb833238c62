// Updates cut short by a power cut at every step, then recovered by the next start of Updexe or of
// the service: every file ends all old or all new, nothing the update made is left behind, and what
// is reported is what happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/sha256.h"
#include "common/update_transaction.h"
#include "tests/unit/store/store_dir.h"
#include "tests/unit/updexe/test_signer.h"
#include "apps/updexe/update.h"

namespace zor {
namespace {

namespace fs = std::filesystem;

// The uninstall entry's version, kept by the test as the registry keeps it.
struct ListedVersion : VersionListing {
  std::string version = "2.0";
  bool Record(const std::string& v) override { return version = v, true; }
};

// The system's file operations, and the uninstall entry, until the power goes after `cutAfter`
// changes to the disk or the registry. The change under way at the cut is lost, a write in part:
// its file keeps what reached the disk.
class CuttingFileOps : public FileOps, public VersionListing {
 public:
  CuttingFileOps(int cutAfter, ListedVersion& listed) : m_cutAfter(cutAfter), m_listed(listed) {}
  int Changes() const { return m_changes; }

  FileRead Read(const std::string& path, std::string& content) override { return m_real.Read(path, content); }
  bool Exists(const std::string& path) override { return m_real.Exists(path); }
  bool WriteFlushed(const std::string& path, std::string_view content) override {
    if (Cut()) {
      if (m_changes == m_cutAfter + 1) m_real.WriteFlushed(path, content.substr(0, content.size() / 2));
      return false;
    }
    return m_real.WriteFlushed(path, content);
  }
  bool Move(const std::string& from, const std::string& to, bool replace) override {
    return !Cut() && m_real.Move(from, to, replace);
  }
  bool Remove(const std::string& path) override { return !Cut() && m_real.Remove(path); }
  bool Record(const std::string& version) override { return !Cut() && m_listed.Record(version); }

 private:
  bool Cut() { return ++m_changes > m_cutAfter && m_cutAfter >= 0; }

  FileOps& m_real = SystemFileOps();
  int m_cutAfter;
  ListedVersion& m_listed;
  int m_changes = 0;
};

class QuietControl : public UpdateControl {
 public:
  bool StopZor2(bool* wasRunning) override { return !(*wasRunning = false); }
  bool StartZor2() override { return true; }
  bool StopService(bool* wasRunning) override { return !(*wasRunning = false); }
  bool StartService() override { return true; }
};

void Put(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
std::string Get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(missing)";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Version 2.0 installed; the package replaces three programs, Updexe among them, and adds one.
class CutUpdate {
 public:
  CutUpdate() : m_app(m_dir.File("app")) {
    fs::create_directories(m_app + "/Updates");
    for (const char* name : {"Zor2Svr.exe", "zor2.exe", "Updexe.exe", "res.dll"}) Put(File(name), Old(name));
    std::string manifest = "Zorwise update\r\nVersion: 2.1\r\n";
    for (const char* name : kChanged) {
      Put(m_app + "/Updates/" + name, New(name));
      manifest += Sha256Hex(New(name)) + "  " + name + "\r\n";
    }
    Put(m_app + "/Updates/manifest.txt", manifest);
    Put(m_app + "/Updates/manifest.sig", TestSigner::Shared().Sign(manifest));
  }

  static constexpr const char* kChanged[] = {"Zor2Svr.exe", "zor2.exe", "Updexe.exe", "ReLaunch.exe"};
  static std::string Old(const std::string& name) {
    return name == "ReLaunch.exe" ? "(missing)" : "2.0 " + name + std::string(3000, 'o');
  }
  static std::string New(const std::string& name) { return "2.1 " + name + std::string(5000, 'n'); }

  std::string File(const std::string& name) const { return m_app + "/" + name; }
  UpdateResult Updexe(FileOps& ops) { return Updexe(ops, m_listed); }
  // Updexe cut short after `cutAfter` changes, or whole when it is -1; the changes it made.
  int UpdexeCut(int cutAfter, UpdateStatus* status = nullptr) {
    CuttingFileOps ops(cutAfter, m_listed);
    const UpdateResult result = Updexe(ops, ops);
    if (status) *status = result.status;
    return ops.Changes();
  }
  UpdateResult Updexe(FileOps& ops, VersionListing& listing) {
    InfoStore store(File("INFO.DAT"));
    return RunUpdate(store, {m_control, ops, *m_origin, SystemFolderAccess(), listing}, m_app, "2.0");
  }
  RecoveryResult ServiceStart() {
    InfoStore store(File("INFO.DAT"));
    return RecoverUpdate(SystemFileOps(), store, m_listed, m_app);
  }
  std::string Version() {
    InfoStore store(File("INFO.DAT"));
    return store.Read("Update", "Version", "2.0", 260);
  }
  // "old" or "new" when every file and the version, in INFO.DAT and in the uninstall entry, are
  // of one release, else "mixed".
  std::string Release() {
    bool allOld = Version() == "2.0" && m_listed.version == "2.0";
    bool allNew = Version() == "2.1" && m_listed.version == "2.1";
    for (const char* name : kChanged) {
      allOld &= Get(File(name)) == Old(name);
      allNew &= Get(File(name)) == New(name);
    }
    allOld &= Get(File("res.dll")) == Old("res.dll");
    allNew &= Get(File("res.dll")) == Old("res.dll");
    return allOld ? "old" : allNew ? "new" : "mixed";
  }
  // What is in the program folder besides the programs and INFO.DAT.
  std::set<std::string> Leftovers() const {
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_app)) {
      const std::string name = entry.path().filename().string();
      if (name != "Updates" && name != "INFO.DAT" && name != "res.dll" &&
          std::find(std::begin(kChanged), std::end(kChanged), name) == std::end(kChanged)) {
        left.insert(name);
      }
    }
    return left;
  }

 private:
  StoreDir m_dir;
  std::string m_app;
  QuietControl m_control;
  ListedVersion m_listed;
  std::unique_ptr<SignatureCheck> m_origin = TestSigner::Shared().Check();
};

std::string Said(const UpdateResult& r) {
  std::string text;
  for (const std::string& line : DescribeUpdate(r)) text += line + " ";
  return text;
}

TEST(UpdateCut, EveryCutEndsAllOldOrAllNewWithATrueReport) {
  int changes = 0;
  {
    CutUpdate whole;
    UpdateStatus status = UpdateStatus::NoPackage;
    changes = whole.UpdexeCut(-1, &status);
    ASSERT_EQ(status, UpdateStatus::Applied);
    EXPECT_EQ(whole.Release(), "new");
    EXPECT_TRUE(whole.Leftovers().empty());
  }
  ASSERT_GT(changes, 10);
  std::printf("an update of four files makes %d changes to the disk\n", changes);
  for (int cut = 0; cut <= changes; ++cut) {
    for (const bool byService : {false, true}) {
      SCOPED_TRACE("cut after change " + std::to_string(cut) + (byService ? ", the service starts" : ", Updexe runs"));
      CutUpdate update;
      update.UpdexeCut(cut);
      if (byService) {
        const RecoveryResult r = update.ServiceStart();
        const std::string release = update.Release();
        if (r.outcome == RecoveryOutcome::Finished) {
          EXPECT_EQ(release, "new");
        } else if (r.outcome == RecoveryOutcome::Undone) {
          EXPECT_EQ(release, "old");
        } else {
          EXPECT_EQ(r.outcome, RecoveryOutcome::None) << release;
        }
        EXPECT_NE(release, "mixed");
        if (r.outcome != RecoveryOutcome::None) {
          EXPECT_EQ(r.version, "2.1");
        }
      } else {
        const UpdateResult r = update.Updexe(SystemFileOps());
        const std::string said = Said(r);
        switch (r.status) {
          case UpdateStatus::InterruptedFinished:
            EXPECT_EQ(update.Release(), "new");
            EXPECT_NE(said.find("update to version 2.1 was finished"), std::string::npos) << said;
            break;
          case UpdateStatus::InterruptedUndone:
            EXPECT_EQ(update.Release(), "old");
            EXPECT_NE(said.find("previous files are in place"), std::string::npos) << said;
            break;
          case UpdateStatus::Applied:  // cut before the journal: the update ran again
          case UpdateStatus::UpToDate:  // cut after the journal was gone
            EXPECT_EQ(update.Release(), "new") << said;
            break;
          default:
            ADD_FAILURE() << said;
        }
      }
      const std::set<std::string> left = update.Leftovers();
      // A cut before the journal may leave the journal's temporary file; the next update writes over it.
      EXPECT_TRUE(left.empty() || left == std::set<std::string>{std::string(kUpdateJournalName) + ".tmp"})
          << *left.begin();
    }
  }
}

// The system's file operations, but the named files cannot be renamed, as if held open.
class HeldFileOps : public FileOps {
 public:
  std::set<std::string> held;

  FileRead Read(const std::string& path, std::string& content) override { return m_real.Read(path, content); }
  bool Exists(const std::string& path) override { return m_real.Exists(path); }
  bool WriteFlushed(const std::string& path, std::string_view content) override {
    return m_real.WriteFlushed(path, content);
  }
  bool Move(const std::string& from, const std::string& to, bool replace) override {
    const std::string name = fs::path(from).filename().string();
    return !held.count(name) && m_real.Move(from, to, replace);
  }
  bool Remove(const std::string& path) override { return m_real.Remove(path); }

 private:
  FileOps& m_real = SystemFileOps();
};

TEST(UpdateCut, ARollbackThatCannotFinishIsReportedAndTheNextStartUndoesIt) {
  CutUpdate update;
  HeldFileOps ops;
  // Updexe.exe's new file cannot be put in place, nor can zor2.exe's copy be put back.
  ops.held = {"Updexe.exe.new", "zor2.exe.old", "zor2.exe"};
  const UpdateResult r = update.Updexe(ops);
  EXPECT_EQ(r.status, UpdateStatus::RollbackFailed);
  EXPECT_EQ(r.detail, "Updexe.exe");
  EXPECT_EQ(Said(r).find("were put back"), std::string::npos) << Said(r);
  EXPECT_EQ(update.Release(), "mixed");
  EXPECT_EQ(Get(update.File("zor2.exe.old")), CutUpdate::Old("zor2.exe")) << "the only old copy was lost";

  // The service's copy was put back before zor2's failed: only undoing can make the files whole.
  const RecoveryResult recovered = update.ServiceStart();
  EXPECT_EQ(recovered.outcome, RecoveryOutcome::Undone);
  EXPECT_EQ(update.Release(), "old");
  EXPECT_TRUE(update.Leftovers().empty());
}

TEST(UpdateCut, AFileThatCannotBePutInPlaceBringsBackEveryOldFile) {
  CutUpdate update;
  HeldFileOps ops;
  ops.held = {"Updexe.exe.new"};
  const UpdateResult r = update.Updexe(ops);
  EXPECT_EQ(r.status, UpdateStatus::ReplaceFailed);
  EXPECT_NE(Said(r).find("The previous files were put back."), std::string::npos);
  EXPECT_EQ(update.Release(), "old");
  EXPECT_TRUE(update.Leftovers().empty());
}

}  // namespace
}  // namespace zor
