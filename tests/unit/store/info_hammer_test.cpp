// Two processes writing their own keys at once: nothing may be lost, no read may see a file that is
// half written and no temporary file may be left. ZOR_HAMMER_ROUNDS sets the rounds per process
// (each a write and six reads) for a longer run than CI's.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/info_format.h"
#include "common/info_store.h"
#include "platform/atomic_file.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

constexpr int kKeys = 5;

int Rounds() {
  const char* rounds = std::getenv("ZOR_HAMMER_ROUNDS");
  return rounds && std::atoi(rounds) > 0 ? std::atoi(rounds) : 1000;
}

std::string Key(char owner, int index) { return std::string(1, owner) + std::to_string(index); }

// Writes round r into key r % kKeys; after each write the raw file must hold every key this
// process has written with its latest value, and the other process's values never go back.
int Hammer(const std::string& path, const std::string& spelling, char self, char other, int rounds) {
  InfoStore store(path.substr(0, path.rfind('/') + 1) + spelling);
  int seen[kKeys] = {};
  for (int round = 1; round <= rounds; ++round) {
    if (!store.Write("VALUE", Key(self, round % kKeys), std::to_string(round))) return 1;
    std::string content;
    if (ReadWholeFile(ResolveFileNameCase(path), content) != FileRead::Ok) return 2;
    if (content.empty() || content.back() != '\n') return 3;
    for (int k = 0; k < kKeys && k < round; ++k) {
      const int last = round - ((round - k) % kKeys + kKeys) % kKeys;
      const auto value = FindProfileValue(content, "VALUE", Key(self, k));
      if (last >= 1 && (!value || std::stoi(std::string(*value)) != last)) return 4;
    }
    for (int k = 0; k < kKeys; ++k) {
      const int value = ProfileInt(store.Read("VALUE", Key(other, k), "0", 255));
      if (value < seen[k]) return 5;
      seen[k] = value;
    }
  }
  return 0;
}

TEST(InfoStoreHammer, TwoProcessesLoseNothing) {
  const int rounds = Rounds();
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  InfoStore(path).Write("Main", "Build", "B10.1022.1");
  pid_t children[2];
  const char owners[2] = {'G', 'S'};
  const char* spellings[2] = {"Info.dat", "INFO.DAT"};
  for (int i = 0; i < 2; ++i) {
    children[i] = fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) _exit(Hammer(path, spellings[i], owners[i], owners[1 - i], rounds));
  }
  for (int i = 0; i < 2; ++i) {
    int status = 0;
    ASSERT_EQ(waitpid(children[i], &status, 0), children[i]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "writer " << owners[i];
  }
  InfoStore store(path);
  for (char owner : owners) {
    for (int k = 0; k < kKeys; ++k) {
      const int last = rounds - ((rounds - k) % kKeys);
      EXPECT_EQ(store.Read("VALUE", Key(owner, k), "", 255), std::to_string(last)) << Key(owner, k);
    }
  }
  EXPECT_EQ(store.Read("Main", "Build", "", 260), "B10.1022.1");
  EXPECT_EQ(dir.Listing(), "INFO.DAT");
}

}  // namespace
}  // namespace zor
