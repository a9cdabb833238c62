// store_hammer FILE OWNER OTHER ROUNDS: writes round r into key OWNER<r % 5> of section VALUE,
// checking after each write that the file holds all of this writer's latest values and that the
// other writer's values never go back. store_hammer FILE check OWNERS ROUNDS: every key of every
// owner holds its last value, and no temporary file is left beside FILE. Two writers run at once
// to show that nothing is lost between them; each prints its operations and their rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
  const auto start = std::chrono::steady_clock::now();
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
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Each round: one write, one raw read of the whole file, five reads of the other's keys.
  std::printf("%c: %d writes and %d reads in %.1f s (%.0f writes a second)\n", self, rounds, rounds * 6,
              seconds, rounds / seconds);
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
  // Only the store's own temporary files count: "<file>.~<process>-<n>.tmp".
  const std::filesystem::path file = std::filesystem::u8path(path);
  const std::string prefix = file.filename().string() + ".~";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) {
      std::printf("temporary file left: %s\n", entry.path().filename().string().c_str());
      ++failures;
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
