// store_hammer FILE OWNER OTHER ROUNDS: writes round r into key OWNER<r % 5> of section VALUE,
// checking after each write that the file holds all of this writer's latest values and that the
// other writer's values never go back. store_hammer FILE check OWNERS ROUNDS: every key of every
// owner holds its last value. Two writers run at once to show that nothing is lost between them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/info_format.h"
#include "common/info_store.h"
#include "platform/atomic_file.h"

namespace {

constexpr int kKeys = 5;

std::string Key(char owner, int index) { return std::string(1, owner) + std::to_string(index); }

int LastRound(int rounds, int key) { return rounds - ((rounds - key) % kKeys); }

int Write(const std::string& path, char self, char other, int rounds) {
  zor::InfoStore store(path);
  int seen[kKeys] = {};
  for (int round = 1; round <= rounds; ++round) {
    if (!store.Write("VALUE", Key(self, round % kKeys), std::to_string(round))) {
      std::printf("%c: write %d failed\n", self, round);
      return 1;
    }
    std::string content;
    if (zor::ReadWholeFile(path, content) != zor::FileRead::Ok || content.empty() || content.back() != '\n') {
      std::printf("%c: torn or unreadable file after round %d\n", self, round);
      return 1;
    }
    for (int k = 0; k < kKeys && k < round; ++k) {
      const auto value = zor::FindProfileValue(content, "VALUE", Key(self, k));
      if (LastRound(round, k) >= 1 && (!value || std::atoi(std::string(*value).c_str()) != LastRound(round, k))) {
        std::printf("%c: key %s lost after round %d\n", self, Key(self, k).c_str(), round);
        return 1;
      }
    }
    for (int k = 0; k < kKeys; ++k) {
      const int value = zor::ProfileInt(store.Read("VALUE", Key(other, k), "0", 255));
      if (value < seen[k]) {
        std::printf("%c: key %s went back from %d to %d\n", self, Key(other, k).c_str(), seen[k], value);
        return 1;
      }
      seen[k] = value;
    }
  }
  return 0;
}

int Check(const std::string& path, const std::string& owners, int rounds) {
  zor::InfoStore store(path);
  int failures = 0;
  for (char owner : owners) {
    for (int k = 0; k < kKeys; ++k) {
      const std::string got = store.Read("VALUE", Key(owner, k), "missing", 255);
      if (got != std::to_string(LastRound(rounds, k))) {
        std::printf("%s = %s, expected %d\n", Key(owner, k).c_str(), got.c_str(), LastRound(rounds, k));
        ++failures;
      }
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: store_hammer FILE OWNER OTHER ROUNDS | FILE check OWNERS ROUNDS\n");
    return 2;
  }
  const std::string path = argv[1];
  const std::string mode = argv[2];
  const int rounds = std::atoi(argv[4]);
  if (mode == "check") return Check(path, argv[3], rounds);
  return Write(path, mode[0], argv[3][0], rounds);
}
