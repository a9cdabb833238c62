#include "common/info_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/info_lock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/named_mutex.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

TEST(InfoStore, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
  StoreDir dir;
  InfoStore store(dir.File("INFO.DAT"));
  EXPECT_EQ(store.Read("Main", "Build", "B10.1022.1", 260), "B10.1022.1");
  EXPECT_EQ(store.Read("SETTING", "HDD", "3 Mins  ", 255), "3 Mins");
  EXPECT_EQ(store.Read("Main", "Build", "B10.1022.1", 4), "B10");
  EXPECT_EQ(store.Read("Main", "Build", "B10.1022.1", 0), "");
  EXPECT_EQ(dir.Listing(), "");

  ASSERT_TRUE(store.Write("TIME", "YEAR", "2009"));
  ASSERT_TRUE(store.Write("TIME", "MONTH", "10"));
  ASSERT_TRUE(store.Write("VALUE", "Total", "0.000000"));
  EXPECT_EQ(Slurp(dir.File("INFO.DAT")), "[TIME]\r\nYEAR=2009\r\nMONTH=10\r\n[VALUE]\r\nTotal=0.000000\r\n");
  EXPECT_EQ(dir.Listing(), "INFO.DAT");  // no temporary file left behind
}

TEST(InfoStore, BothProgramsSpellingsReachOneFile) {
  StoreDir dir;
  InfoStore gui(dir.File("Info.dat"));
  InfoStore service(dir.File("INFO.DAT"));
  // The service's value is found under the GUI's spelling of the key, and the other way round.
  ASSERT_TRUE(service.Write("VALUE", "SaveTime", "86399.900000"));
  EXPECT_EQ(ProfileInt(gui.Read("VALUE", "savetime", "0", 255)), 86399);
  ASSERT_TRUE(gui.Write("VALUE", "cmd", "1"));
  EXPECT_EQ(service.Read("VALUE", "Cmd", "0", 255), "1");
  ASSERT_TRUE(service.Write("VALUE", "Cmd", "0"));
  EXPECT_EQ(gui.Read("value", "CMD", "x", 255), "0");
  EXPECT_EQ(dir.Listing(), "INFO.DAT");
  EXPECT_EQ(Slurp(dir.File("INFO.DAT")), "[VALUE]\r\nSaveTime=86399.900000\r\ncmd=0\r\n");
  EXPECT_EQ(InfoLockName(gui.Path()), InfoLockName(service.Path()));
}

TEST(InfoStore, KeepsAFileWrittenByWindowsAsItStands) {
  StoreDir dir;
  const std::string original =
      "; kept\r\n[Main]\r\nBuild = B10.1022.1\r\n\r\n[VALUE]\r\nCurrent = 1.500000\r\nTotal=2";
  Spit(dir.File("INFO.DAT"), original);
  chmod(dir.File("INFO.DAT").c_str(), 0640);
  InfoStore store(dir.File("INFO.DAT"));
  EXPECT_EQ(store.Read("main", "BUILD", "", 260), "B10.1022.1");
  ASSERT_TRUE(store.Write("VALUE", "Current", "0.000000"));
  ASSERT_TRUE(store.Write("VALUE", "Phase", "3"));
  EXPECT_EQ(Slurp(dir.File("INFO.DAT")),
            "; kept\r\n[Main]\r\nBuild = B10.1022.1\r\n\r\n[VALUE]\r\nCurrent=0.000000\r\nTotal=2\r\n"
            "Phase=3\r\n");
  struct stat info;
  ASSERT_EQ(stat(dir.File("INFO.DAT").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(InfoStore, RefusedWritesLeaveTheFileAlone) {
  StoreDir dir;
  InfoStore store(dir.File("INFO.DAT"));
  ASSERT_TRUE(store.Write("VALUE", "Cmd", "0"));
  EXPECT_FALSE(store.Write("VALUE", "Cmd", "1\r\n[Main]\r\nBuild=evil"));
  EXPECT_FALSE(store.Write("VALUE", "", "1"));
  EXPECT_EQ(Slurp(dir.File("INFO.DAT")), "[VALUE]\r\nCmd=0\r\n");
  // A file that cannot be read is not rebuilt from nothing.
  InfoStore unreadable(dir.File("sub"));
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_FALSE(unreadable.Write("VALUE", "Cmd", "1"));
  EXPECT_EQ(unreadable.Read("VALUE", "Cmd", "dflt", 255), "dflt");
}

// Sets the file's last write time, as a writer that keeps size and time would leave it.
void SetModified(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(InfoStore, RepeatedReadsNeverGoStale) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  const time_t longAgo = time(nullptr) - 3600;
  InfoStore gui(dir.File("Info.dat"));
  InfoStore service(path);

  // Another store's write is seen even when the file's size and time come out the same.
  Spit(path, "[VALUE]\r\nTotal=1.000000\r\n");
  SetModified(path, longAgo);
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "1.000000");
  ASSERT_TRUE(service.Write("VALUE", "Total", "2.000000"));
  SetModified(path, longAgo);
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "2.000000");

  // A writer outside the store changes the file's time.
  Spit(path, "[VALUE]\r\nTotal=3.000000\r\n");
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "3.000000");

  // A file changed moments ago may change again within its time granularity: not reused.
  Spit(path, "[VALUE]\r\nTotal=4.000000\r\n");
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "4.000000");
  Spit(path, "[VALUE]\r\nTotal=5.000000\r\n");
  const timespec same[2] = {before.st_mtim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), same, 0), 0);
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "5.000000");

  // A file that disappears reads as missing.
  std::filesystem::remove(path);
  EXPECT_EQ(gui.Read("VALUE", "Total", "0", 255), "0");
}

TEST(InfoStore, UpdateHoldsTheLockAcrossReadsAndWrites) {
  StoreDir dir;
  InfoStore gui(dir.File("Info.dat"));
  InfoStore service(dir.File("INFO.DAT"));
  ASSERT_TRUE(gui.Write("VALUE", "cmd", "1"));
  bool reset = false;
  ASSERT_TRUE(service.Update([&](InfoFile& file) {
    reset = ProfileInt(file.Read("VALUE", "Cmd", "0", 255)) == 1;
    if (reset) {
      EXPECT_TRUE(file.Write("VALUE", "Cmd", "0"));
    }
    EXPECT_TRUE(file.Write("VALUE", "Current", "0.000000"));
    EXPECT_EQ(file.Read("VALUE", "current", "x", 255), "0.000000");
  }));
  EXPECT_TRUE(reset);
  EXPECT_EQ(gui.Read("VALUE", "CMD", "x", 255), "0");

}

// Another holder (a hung program, or any process that opened the lock) keeps it past the wait: the
// store passes it over, tells it once per such holding, and every access still lands whole.
TEST(InfoStore, ALockKeptPastItsWaitIsPassedOverAndToldOnce) {
  StoreDir dir;
  InfoStore gui(dir.File("Info.dat"));
  InfoStore service(dir.File("INFO.DAT"));
  int notices = 0;
  service.SetBusyNotice([&notices] { ++notices; });
  NamedMutex other(InfoLockName(gui.Path()), ObjectAccess::kSystemAndAdministrators);
  for (int holding = 1; holding <= 2; ++holding) {
    ASSERT_TRUE(other.Lock(0));
    for (int cycle = 0; cycle < 3; ++cycle) {
      EXPECT_EQ(service.Transact([&](InfoFile& file) {
        file.Write("VALUE", "Total", std::to_string(holding * 10 + cycle));
        file.Write("VALUE", "Cmd", "0");
      }), StoreResult::kOk);
    }
    EXPECT_TRUE(gui.Write("INFO", "PV", "1"));
    EXPECT_EQ(notices, holding);
    other.Unlock();
    EXPECT_EQ(gui.Read("VALUE", "Total", "", 255), std::to_string(holding * 10 + 2));
    EXPECT_EQ(service.Read("INFO", "pv", "0", 255), "1");
    // Taken again: the next holding is told anew.
    ASSERT_TRUE(service.Update([](InfoFile& file) { file.Write("VALUE", "Cmd", "1"); }));
  }
}

TEST(InfoStore, UpdateSavesAllItsWritesTogether) {
  StoreDir dir;
  InfoStore service(dir.File("INFO.DAT"));
  ASSERT_TRUE(service.Update([&](InfoFile& file) {
    EXPECT_TRUE(file.Write("VALUE", "VOUT", "1.200000"));
    EXPECT_TRUE(file.Write("VALUE", "Current", "0.500000"));
    EXPECT_TRUE(file.Write("TIME", "YEAR", "2026"));
    EXPECT_TRUE(file.Write("VALUE", "VOUT", "1.250000"));
    EXPECT_EQ(file.Read("value", "vout", "x", 255), "1.250000");
  }));
  InfoStore gui(dir.File("Info.dat"));
  EXPECT_EQ(gui.Read("VALUE", "VOUT", "x", 255), "1.250000");
  EXPECT_EQ(gui.Read("VALUE", "Current", "x", 255), "0.500000");
  EXPECT_EQ(gui.Read("TIME", "YEAR", "x", 255), "2026");
}

TEST(InfoStore, Utf16FileIsReadAndWrittenAsUtf16) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  const auto utf16 = [](const std::string& ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : ascii) (out += c) += '\0';
    return out;
  };
  Spit(path, utf16("[VALUE]\r\nTotal=1234.500000\r\n"));
  InfoStore store(path);
  EXPECT_EQ(store.Read("VALUE", "Total", "0", 255), "1234.500000");
  ASSERT_TRUE(store.Write("VALUE", "Cmd", "0"));
  ASSERT_EQ(store.Transact([](InfoFile& file) { file.Write("VALUE", "Total", "1235.000000"); }),
            StoreResult::kOk);
  EXPECT_EQ(Slurp(path), utf16("[VALUE]\r\nTotal=1235.000000\r\nCmd=0\r\n"));
}

// Names and values travel in the ANSI code page, as the platform's "A" profile functions pass them:
// a UTF-16 file's characters come back as that page's bytes ('?' where it has none), capacities
// count characters, and a write's bytes become the page's characters. An odd last byte stays.
TEST(InfoStore, Utf16FileSpeaksTheAnsiCodePage) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  const auto utf16 = [](const std::u16string& text) {
    std::string out("\xFF\xFE", 2);
    for (char16_t unit : text) (out += static_cast<char>(unit & 0xFF)) += static_cast<char>(unit >> 8);
    return out;
  };
  const std::u16string text =
      u"[Main]\r\nBuild=B10.1022.1-\u00e9\u4e2d\r\n[Update]\r\nFolder=C:\\Donn\u00e9es\\\u00e0 jour\r\n";
  Spit(path, utf16(text) + "\x7F");
  test::Latin1CodePage page;
  InfoStore store(path, page);
  struct Case {
    const char* section;
    const char* key;
    size_t capacity;
    std::string expected;
  };
  const Case cases[] = {
      {"Main", "Build", 260, "B10.1022.1-\xE9?"},
      {"Update", "Folder", 260, "C:\\Donn\xE9" "es\\\xE0 jour"},
      {"Update", "Folder", 9, "C:\\Donn\xE9"},  // eight characters, not eight UTF-8 bytes
      {"Main", "Build", 13, "B10.1022.1-\xE9"},
  };
  for (const Case& c : cases) EXPECT_EQ(store.Read(c.section, c.key, "", c.capacity), c.expected) << c.capacity;

  ASSERT_TRUE(store.Write("Update", "Folder", "D:\\\xC9t\xE9"));
  EXPECT_EQ(store.Read("Update", "Folder", "", 260), "D:\\\xC9t\xE9");
  EXPECT_EQ(Slurp(path), utf16(u"[Main]\r\nBuild=B10.1022.1-\u00e9\u4e2d\r\n[Update]\r\nFolder=D:\\\u00c9t\u00e9\r\n") + "\x7F");
}

// A file marked read-only is left as it is and says so; a missing one is not an unreadable one; a
// directory or an oversized file is neither read nor written, and a transaction's body does not run.
TEST(InfoStore, TransactionsTellWhatWentWrong) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  InfoStore store(path);
  const auto write = [](InfoFile& file) { file.Write("VALUE", "Cmd", "0"); };
  EXPECT_EQ(store.Transact([](InfoFile& file) { EXPECT_EQ(file.Read("VALUE", "Total", "0", 255), "0"); }),
            StoreResult::kOk);
  ASSERT_EQ(store.Transact(write), StoreResult::kOk);
  chmod(path.c_str(), 0444);
  EXPECT_EQ(store.Transact([](InfoFile& file) { file.Write("VALUE", "Cmd", "1"); }), StoreResult::kReadOnly);
  EXPECT_FALSE(store.Write("VALUE", "Cmd", "1"));
  EXPECT_EQ(Slurp(path), "[VALUE]\r\nCmd=0\r\n");
  chmod(path.c_str(), 0644);
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  bool ran = false;
  EXPECT_EQ(store.Transact([&](InfoFile&) { ran = true; }), StoreResult::kNotAFile);
  EXPECT_FALSE(ran);
  EXPECT_EQ(store.Read("VALUE", "Cmd", "5", 255), "5");
  EXPECT_FALSE(store.Write("VALUE", "Cmd", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(path));

  std::filesystem::remove(path);
  const std::string large = "[VALUE]\r\nCmd=1\r\n;" + std::string(kMaxInfoFileBytes, 'x') + "\r\n";
  Spit(path, large);
  EXPECT_EQ(store.Transact([&](InfoFile&) { ran = true; }), StoreResult::kTooLarge);
  EXPECT_FALSE(ran);
  EXPECT_EQ(store.Read("VALUE", "Cmd", "5", 255), "5");
  EXPECT_FALSE(store.Write("VALUE", "Cmd", "0"));
  EXPECT_EQ(Slurp(path), large);
}

// A writer killed between its temporary file and the replace leaves the temporary file behind; the
// next write removes it. A temporary file of a live writer stays.
TEST(InfoStore, TemporaryFilesOfDeadWritersAreRemoved) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  Spit(path + ".~" + std::to_string(child) + "-7.tmp", "[VALUE]\r\nTotal=half");
  Spit(path + ".~" + std::to_string(getpid()) + "-99999.tmp", "in progress");
  InfoStore store(path);
  ASSERT_TRUE(store.Write("VALUE", "Total", "1.000000"));
  EXPECT_EQ(dir.Listing().find(".~" + std::to_string(child)), std::string::npos) << dir.Listing();
  EXPECT_NE(dir.Listing().find(".~" + std::to_string(getpid())), std::string::npos) << dir.Listing();
  std::filesystem::remove(path + ".~" + std::to_string(getpid()) + "-99999.tmp");
  EXPECT_EQ(dir.Listing(), "INFO.DAT");
}

// A lock that cannot be made (natively: a directory in the lock file's place) would be busy for
// ever; the store says so and goes on without it.
TEST(InfoStore, GoesOnWithoutALockThatCannotBeMade) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  std::string lockFile = "/tmp/zorwise-lock-";
  for (char c : InfoLockName(path)) lockFile += c == '\\' ? '_' : c;
  std::filesystem::create_directory(lockFile);
  InfoStore store(path);
  const bool available = store.LockAvailable();
  const StoreResult result = store.Transact([](InfoFile& file) { file.Write("VALUE", "Cmd", "0"); });
  std::filesystem::remove(lockFile);
  EXPECT_FALSE(available);
  EXPECT_EQ(result, StoreResult::kOk);
  EXPECT_EQ(Slurp(path), "[VALUE]\r\nCmd=0\r\n");
}

}  // namespace
}  // namespace zor
