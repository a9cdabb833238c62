// Updexe's package handling: the manifest, versions, and an update that replaces files only when
// every checksum matches, with zor2 and the service stopped around it and started again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "common/sha256.h"
#include "tests/unit/store/store_dir.h"
#include "tests/unit/updexe/test_signer.h"
#include "apps/updexe/update.h"

namespace zor {
namespace {

namespace fs = std::filesystem;

TEST(UpdateManifest, ReadsVersionAndFiles) {
  const std::string hash(64, 'A');
  UpdateManifest m;
  std::string error;
  ASSERT_TRUE(ParseManifest("# made by hand\r\nZorwise update\r\nVersion: 2.1.3\r\n\r\n" + hash +
                                "  Zor2Svr.exe\r\n" + hash + "\tres.dll\n",
                            m, &error))
      << error;
  EXPECT_EQ(m.version, "2.1.3");
  ASSERT_EQ(m.files.size(), 2u);
  EXPECT_EQ(m.files[0].name, "Zor2Svr.exe");
  EXPECT_EQ(m.files[0].sha256, std::string(64, 'a'));
  EXPECT_EQ(m.files[1].name, "res.dll");
  // Any spelling names the shipped file, which is written under its own name.
  ASSERT_TRUE(ParseManifest("Zorwise update\nVersion: 2.2\n" + hash + " ZOR2SVR.EXE\n", m, &error)) << error;
  EXPECT_EQ(m.files[0].name, "Zor2Svr.exe");
}

TEST(UpdateManifest, RefusesWhatCouldReachBeyondTheProgramFiles) {
  const std::string hash(64, 'b');
  const std::string head = "Zorwise update\nVersion: 2.1\n";
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"Version: 2.1\n" + hash + " res.dll\n", "no header"},
      {"Zorwise update\n" + hash + " res.dll\n", "no version"},
      {head, "no files"},
      {"Zorwise update\nVersion: 2.x\n" + hash + " res.dll\n", "bad version"},
      {head + "Version: 2.2\n" + hash + " res.dll\n", "two versions"},
      {head + hash.substr(1) + " res.dll\n", "short hash"},
      {head + std::string(63, 'b') + "g res.dll\n", "not hex"},
      {head + hash + "\n", "no name"},
      {head + hash + " ..\\res.dll\n", "parent folder"},
      {head + hash + " sub/res.dll\n", "sub folder"},
      {head + hash + " C:res.dll\n", "drive"},
      {head + hash + " INFO.DAT\n", "user data"},
      {head + hash + " res.dll\n" + hash + " RES.DLL\n", "same file twice"},
      // Only the files the installer ships: never the board maker's libraries, the demo board,
      // a device name or any other library the programs would load.
      {head + hash + " hwk.dll\n", "the maker's hardware library"},
      {head + hash + " SF.DLL\n", "the maker's fan library"},
      {head + hash + " Clockvane.dll\n", "the maker's clock library"},
      {head + hash + " simboard.exe\n", "the demo board"},
      {head + hash + " nul.dll\n", "a device name"},
      {head + hash + " version.dll\n", "a system library planted beside the programs"},
      {head + hash + " Uninstall.exe\n", "the uninstaller"},
  };
  for (const auto& c : cases) {
    UpdateManifest m;
    EXPECT_FALSE(ParseManifest(c.text, m, nullptr)) << c.why;
  }
}

TEST(UpdateVersions, CompareByNumberPartByPart) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {{"2.0", "2.0", 0}, {"2", "2.0.0", 0},   {"2.0.1", "2.0", 1},
               {"2.9", "2.10", -1}, {"10.0", "9.99", 1}, {"2.0", "2.0.0.1", -1}};
  for (const auto& c : cases) {
    int order = 99;
    ASSERT_TRUE(CompareVersions(c.a, c.b, &order)) << c.a << " " << c.b;
    EXPECT_EQ(order, c.order) << c.a << " vs " << c.b;
  }
  int order = 0;
  for (const char* bad : {"", "2.", ".2", "2..0", "v2", "2.0b", "1234567890"}) {
    EXPECT_FALSE(CompareVersions(bad, "2.0", &order)) << bad;
  }
}

class FakeControl : public UpdateControl {
 public:
  bool zor2Runs = true;
  bool serviceRuns = true;
  bool zor2Stops = true;
  bool serviceStops = true;
  bool zor2Starts = true;
  bool serviceStarts = true;
  std::vector<std::string> calls;

  bool StopZor2(bool* wasRunning) override {
    calls.push_back("stop zor2");
    *wasRunning = zor2Runs;
    return zor2Stops;
  }
  bool StartZor2() override {
    calls.push_back("start zor2");
    return zor2Starts;
  }
  bool StopService(bool* wasRunning) override {
    calls.push_back("stop service");
    *wasRunning = serviceRuns;
    return serviceStops;
  }
  bool StartService() override {
    calls.push_back("start service");
    return serviceStarts;
  }
};

class UpdateTest : public ::testing::Test {
 protected:
  UpdateTest() : m_app(m_dir.File("app")), m_package(m_app + "/Updates") {
    fs::create_directories(m_package);
    Put(m_app + "/Zor2Svr.exe", "old service");
    Put(m_app + "/res.dll", "old pictures");
  }

  static void Put(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // A package of version with the files given as name, content; tamper changes a file after
  // its checksum was taken.
  void Package(const std::string& version, const std::vector<std::pair<std::string, std::string>>& files,
               const std::string& tamper = "") {
    std::string manifest = "Zorwise update\r\nVersion: " + version + "\r\n";
    for (const auto& [name, content] : files) {
      manifest += Sha256Hex(content) + "  " + name + "\r\n";
      Put(m_package + "/" + name, name == tamper ? content + "!" : content);
    }
    Put(m_package + "/manifest.txt", manifest);
    Put(m_package + "/manifest.sig", TestSigner::Shared().Sign(manifest));
  }
  UpdateResult Run() {
    InfoStore store(m_app + "/INFO.DAT");
    return RunUpdate(store, {m_control, SystemFileOps(), *m_origin, SystemFolderAccess(), SystemVersionListing()}, m_app, "2.0");
  }
  std::string InstalledVersion() {
    InfoStore store(m_app + "/INFO.DAT");
    return store.Read("Update", "Version", "(none)", 260);
  }
  void ExpectUnchanged() {
    EXPECT_EQ(Get(m_app + "/Zor2Svr.exe"), "old service");
    EXPECT_EQ(Get(m_app + "/res.dll"), "old pictures");
    EXPECT_FALSE(fs::exists(m_app + "/zor2.exe"));
    EXPECT_EQ(InstalledVersion(), "(none)");
  }

  StoreDir m_dir;
  std::string m_app;
  std::string m_package;
  FakeControl m_control;
  std::unique_ptr<SignatureCheck> m_origin = TestSigner::Shared().Check();
};

TEST_F(UpdateTest, NewerPackageReplacesTheFilesBetweenStopAndStart) {
  Package("2.1", {{"Zor2Svr.exe", "new service"}, {"zor2.exe", "new window"}});
  const UpdateResult r = Run();
  EXPECT_EQ(r.status, UpdateStatus::Applied);
  EXPECT_EQ(Get(m_app + "/Zor2Svr.exe"), "new service");
  EXPECT_EQ(Get(m_app + "/zor2.exe"), "new window");
  EXPECT_EQ(Get(m_app + "/res.dll"), "old pictures");
  EXPECT_FALSE(fs::exists(m_app + "/Zor2Svr.exe.old"));
  EXPECT_EQ(InstalledVersion(), "2.1");
  EXPECT_EQ(m_control.calls,
            (std::vector<std::string>{"stop zor2", "stop service", "start service", "start zor2"}));
  EXPECT_EQ(DescribeUpdate(r), (std::vector<std::string>{"Zorwise was updated to version 2.1.",
                                                         "The service and the program were started again."}));
  // The same package again is now up to date.
  m_control.calls.clear();
  EXPECT_EQ(Run().status, UpdateStatus::UpToDate);
  EXPECT_TRUE(m_control.calls.empty());
}

TEST_F(UpdateTest, OnlyWhatRanIsStartedAgain) {
  m_control.zor2Runs = false;
  m_control.serviceRuns = false;
  Package("2.1", {{"res.dll", "new pictures"}});
  const UpdateResult r = Run();
  EXPECT_EQ(r.status, UpdateStatus::Applied);
  EXPECT_EQ(m_control.calls, (std::vector<std::string>{"stop zor2", "stop service"}));
  EXPECT_EQ(DescribeUpdate(r), std::vector<std::string>{"Zorwise was updated to version 2.1."});
}

TEST_F(UpdateTest, PackagesThatMustChangeNothing) {
  const struct {
    const char* why;
    std::string version;
    std::string tamper;
    bool dropFile;
    UpdateStatus status;
  } cases[] = {
      {"same version", "2.0", "", false, UpdateStatus::UpToDate},
      {"older version", "1.9.9", "", false, UpdateStatus::UpToDate},
      {"altered file", "2.1", "res.dll", false, UpdateStatus::HashMismatch},
      {"missing file", "2.1", "", true, UpdateStatus::MissingFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    fs::remove_all(m_package);
    fs::create_directories(m_package);
    m_control.calls.clear();
    Package(c.version, {{"Zor2Svr.exe", "new service"}, {"res.dll", "new pictures"}}, c.tamper);
    if (c.dropFile) fs::remove(m_package + "/res.dll");
    const UpdateResult r = Run();
    EXPECT_EQ(r.status, c.status);
    ExpectUnchanged();
    EXPECT_TRUE(m_control.calls.empty());
  }
  fs::remove_all(m_package);
  EXPECT_EQ(Run().status, UpdateStatus::NoPackage);
  fs::create_directories(m_package);
  Put(m_package + "/manifest.txt", "Zorwise update\nVersion: 3\n");
  Put(m_package + "/manifest.sig", TestSigner::Shared().Sign("Zorwise update\nVersion: 3\n"));
  EXPECT_EQ(Run().status, UpdateStatus::BadManifest);
  ExpectUnchanged();
}

TEST_F(UpdateTest, OnlyAPackageSignedWithTheBuiltInKeyIsApplied) {
  Package("2.1", {{"Zor2Svr.exe", "new service"}, {"res.dll", "new pictures"}});
  const std::string manifest = Get(m_package + "/manifest.txt");
  const std::string signature = Get(m_package + "/manifest.sig");
  // Files and checksums of the attacker's choosing: every checksum matches, the signature cannot.
  const std::string forged = "Zorwise update\r\nVersion: 2.1\r\n" + Sha256Hex("evil service") + "  Zor2Svr.exe\r\n";
  const struct {
    const char* why;
    std::string manifest;
    std::string signature;  // "(none)": no manifest.sig
  } cases[] = {
      {"no signature", manifest, "(none)"},
      {"an empty signature", manifest, ""},
      {"signed with another key", manifest, TestSigner::Other().Sign(manifest)},
      {"a signature cut short", manifest, signature.substr(0, signature.size() - 1)},
      {"a signature with one bit changed", manifest, std::string(1, static_cast<char>(signature[0] ^ 1)) + signature.substr(1)},
      {"the manifest changed after signing", forged, signature},
      {"the attacker's manifest signed with the attacker's key", forged, TestSigner::Other().Sign(forged)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    m_control.calls.clear();
    Put(m_package + "/Zor2Svr.exe", c.manifest == forged ? "evil service" : "new service");
    Put(m_package + "/manifest.txt", c.manifest);
    fs::remove(m_package + "/manifest.sig");
    if (c.signature != "(none)") Put(m_package + "/manifest.sig", c.signature);
    const UpdateResult r = Run();
    EXPECT_EQ(r.status, UpdateStatus::BadSignature);
    EXPECT_EQ(DescribeUpdate(r)[0], "The update package is not signed by Zorwise.");
    ExpectUnchanged();
    EXPECT_TRUE(m_control.calls.empty());
  }
  Put(m_package + "/Zor2Svr.exe", "new service");
  Put(m_package + "/manifest.txt", manifest);
  Put(m_package + "/manifest.sig", signature);
  EXPECT_EQ(Run().status, UpdateStatus::Applied);
}

TEST_F(UpdateTest, APackageFolderOthersMayChangeIsRefused) {
  Package("2.1", {{"Zor2Svr.exe", "new service"}});
  for (const fs::perms open : {fs::perms::others_write, fs::perms::group_write}) {
    fs::permissions(m_package, open, fs::perm_options::add);
    const UpdateResult r = Run();
    EXPECT_EQ(r.status, UpdateStatus::OpenFolder);
    EXPECT_EQ(DescribeUpdate(r)[0], "Users other than administrators can change the update folder");
    ExpectUnchanged();
    EXPECT_TRUE(m_control.calls.empty());
    fs::permissions(m_package, open, fs::perm_options::remove);
  }
  EXPECT_EQ(Run().status, UpdateStatus::Applied);
}

TEST(UpdateKey, TheBuiltInKeyIsAKeyAndHexIsReadStrictly) {
  EXPECT_GE(BuiltInUpdateKey().modulus.size(), 128u);
  EXPECT_EQ(ParseRsaPublicKey("00C0FFEE", 65537).modulus, (std::vector<uint8_t>{0xC0, 0xFF, 0xEE}));
  for (const char* bad : {"", "ABC", "C0FFEX", "C0 FFEE"}) EXPECT_TRUE(ParseRsaPublicKey(bad, 65537).modulus.empty()) << bad;
  EXPECT_TRUE(ParseRsaPublicKey("C0FFEE", 1).modulus.empty());
}

TEST_F(UpdateTest, AServiceThatWillNotStopLeavesTheFilesAndRestartsZor2) {
  m_control.serviceStops = false;
  Package("2.1", {{"Zor2Svr.exe", "new service"}});
  EXPECT_EQ(Run().status, UpdateStatus::StopFailed);
  ExpectUnchanged();
  EXPECT_EQ(m_control.calls, (std::vector<std::string>{"stop zor2", "stop service", "start zor2"}));
}

TEST_F(UpdateTest, AFileThatCannotBeReplacedPutsBackTheOnesBeforeIt) {
  // res.dll cannot step aside: its backup name is taken by a folder that cannot be removed.
  fs::create_directories(m_app + "/res.dll.old/keep");
  Package("2.1", {{"Zor2Svr.exe", "new service"}, {"res.dll", "new pictures"}});
  const UpdateResult r = Run();
  EXPECT_EQ(r.status, UpdateStatus::ReplaceFailed);
  EXPECT_EQ(r.detail, "res.dll");
  ExpectUnchanged();
  EXPECT_FALSE(fs::exists(m_app + "/Zor2Svr.exe.old"));
  EXPECT_EQ(m_control.calls,
            (std::vector<std::string>{"stop zor2", "stop service", "start service", "start zor2"}));
}

TEST_F(UpdateTest, InstalledVersionComesFromInfoDat) {
  {
    InfoStore store(m_app + "/INFO.DAT");
    store.Write("Update", "Version", "2.5");
  }
  Package("2.4", {{"res.dll", "new pictures"}});
  const UpdateResult r = Run();
  EXPECT_EQ(r.status, UpdateStatus::UpToDate);
  EXPECT_EQ(r.installedVersion, "2.5");
}

}  // namespace
}  // namespace zor
