#include "gui/app/user_power_record.h"

#include <string>

#include "common/info_keys.h"

namespace zor {

namespace {

int ReadInt(InfoStore& info, const char* section, const char* key) {
  return ProfileInt(info.Read(section, key, "0", info::kPathCapacity));
}

}  // namespace

bool ReadHeldUserPower(InfoStore& info, UserPowerSettings& settings) {
  if (ReadInt(info, info::kUserPower, info::kUserHeld) == 0) return false;
  settings.scheme = ReadInt(info, info::kUserPower, info::kUserScheme);
  settings.diskTimeout = ReadInt(info, info::kUserPower, info::kUserDisk);
  settings.monitorTimeout = ReadInt(info, info::kUserPower, info::kUserMonitor);
  return true;
}

bool ReadParkedUserPower(InfoStore& info, UserPowerSettings& settings) {
  if (ReadInt(info, info::kInfo, info::kPv) == 0) return false;
  settings.scheme = ReadInt(info, info::kInfo, info::kPowerValue);
  settings.diskTimeout = ReadInt(info, info::kInfo, info::kDisk);
  settings.monitorTimeout = ReadInt(info, info::kInfo, info::kMonitor);
  return true;
}

bool HoldUserPower(InfoStore& info, const UserPowerSettings& settings) {
  return info.Update([&settings](InfoFile& file) {
    file.Write(info::kUserPower, info::kUserScheme, std::to_string(settings.scheme));
    file.Write(info::kUserPower, info::kUserDisk, std::to_string(settings.diskTimeout));
    file.Write(info::kUserPower, info::kUserMonitor, std::to_string(settings.monitorTimeout));
    file.Write(info::kUserPower, info::kUserHeld, "1");
  });
}

void ReleaseUserPower(InfoFile& file) { file.Write(info::kUserPower, info::kUserHeld, "0"); }

}  // namespace zor
