// Where Windows keeps the power plans and time-outs zor2 reads: the power-policy keys of NT 5.x and
// the power-scheme keys of NT 6.x. The stand-in powercfg of the tests writes the same places.
#pragma once

#include <cstddef>
#include <string>

namespace zor::power {

constexpr char kPolicyRoot[] = "Control Panel\\Powercfg";  // HKEY_CURRENT_USER
constexpr char kPoliciesKey[] = "Control Panel\\powercfg\\PowerPolicies\\";
constexpr size_t kPolicyDisplayAc = 56;  // seconds, in the "Policies" record
constexpr size_t kPolicyDiskAc = 64;
constexpr size_t kUserPolicySize = 80;  // the user power-policy record; a shorter one is not read

constexpr char kSchemesRoot[] = "SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes";
constexpr char kBalanced[] = "381b4222-f694-41f0-9685-ff5bb260df2e";
constexpr char kHighPerformance[] = "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
constexpr char kPowerSaver[] = "a1841308-3541-4fab-bc81-f71556f20b4a";
constexpr char kBalancedPrefix[] = "381b4222";
constexpr char kHighPerformancePrefix[] = "8c5e7fda";
constexpr char kDiskSubgroup[] = "0012ee47-9041-4b5d-9b77-535fba8b1442";
constexpr char kDiskSetting[] = "6738e2c4-e8a5-4a42-b16a-e040e769756e";
constexpr char kDisplaySubgroup[] = "7516b95f-f776-4464-8c53-06167f40cc99";
constexpr char kDisplaySetting[] = "3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e";

// The scheme GUID of a plan number: 4 Balanced, 3 High performance, any other Power saver.
inline const char* SchemeGuid(int plan) {
  return plan == 4 ? kBalanced : plan == 3 ? kHighPerformance : kPowerSaver;
}

inline std::string PolicyKey(int plan) { return kPoliciesKey + std::to_string(plan); }

inline std::string SettingKey(int plan, bool disk) {
  return std::string(kSchemesRoot) + "\\" + SchemeGuid(plan) + "\\" +
         (disk ? kDiskSubgroup : kDisplaySubgroup) + "\\" + (disk ? kDiskSetting : kDisplaySetting);
}

}  // namespace zor::power
