#include "common/relaunch_count.h"

#include <algorithm>
#include <string>

namespace zor {

namespace {

constexpr const char* kSection = "ReLaunch";
constexpr size_t kCapacity = 255;

int ReadClamped(InfoFile& file, const char* key, int def, int low, int high) {
  const int value = ProfileInt(file.Read(kSection, key, std::to_string(def), kCapacity));
  return std::clamp(value, low, high);
}

}  // namespace

RelaunchTurn TakeRelaunchTurn(InfoStore& store) {
  RelaunchTurn turn;
  const bool done = store.Update([&turn](InfoFile& file) {
    turn.limit = ReadClamped(file, "Limit", kRelaunchDefaultLimit, 0, kRelaunchMaxLimit);
    const int wait = ReadClamped(file, "Wait", kRelaunchDefaultWaitSeconds, 0, kRelaunchMaxWaitSeconds);
    turn.waitMs = static_cast<uint32_t>(wait) * 1000u;
    // A hand-edited or damaged count never lets more restarts through than the limit.
    turn.count = ReadClamped(file, "Count", 0, 0, kRelaunchMaxLimit);
    if (turn.count >= turn.limit) return;
    if (!file.Write(kSection, "Count", std::to_string(turn.count + 1))) return;
    turn.count += 1;
    turn.allowed = true;
  });
  // A count that cannot be stored cannot bound anything: no restart then.
  if (!done) turn.allowed = false;
  return turn;
}

void ResetRelaunchCount(InfoStore& store) {
  store.Update([](InfoFile& file) {
    if (file.Read(kSection, "Count", "0", kCapacity) != "0") file.Write(kSection, "Count", "0");
  });
}

}  // namespace zor
