// Any bytes as an INFO.DAT: reads must not fail, and a write must change the written entry and
// nothing else that the file says. A first line "#!section|key|value" chooses the write. A UTF-16
// file must come back byte for byte when its text is written back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/info_format.h"
#include "common/info_store.h"

namespace {

struct Name {
  const char* section;
  const char* key;
};

// What the programs read, in the spellings both use.
const Name kNames[] = {
    {"Main", "Build"},   {"INFO", "PV"},          {"SETTING", "Adv"},    {"SETTING", "HDD"},
    {"TIME", "YEAR"},    {"VALUE", "Cmd"},        {"value", "cmd"},      {"VALUE", "SaveTime"},
    {"VALUE", "Total"},  {"VALUE", "CPU_MAX"},    {"S", "k"},            {"", "orphan"},
    {"Fuzz", "Key"},     {"Main", "build"},
};

bool IsBlank(char c) { return (c >= '\t' && c <= '\r') || c == ' ' || c == '\x1a'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameEntry(std::string_view section, std::string_view key, const Name& name) {
  auto equal = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
  };
  return equal(Trim(section), Trim(name.section)) && equal(Trim(key), Trim(name.key));
}

void CheckWrite(const std::string& content, std::string_view section, std::string_view key, std::string_view value) {
  if (!zor::IsWritableEntry(section, key, value)) return;
  const std::string after = zor::SetProfileValue(content, section, key, value);
  const auto written = zor::FindProfileValue(after, section, key);
  if (!written) std::abort();
  // Plain values read back exactly; blanks around them go as the platform's reader drops them.
  if (*written != Trim(value)) std::abort();
  for (const Name& name : kNames) {
    if (SameEntry(section, key, name)) continue;
    if (zor::FindProfileValue(content, name.section, name.key) != zor::FindProfileValue(after, name.section, name.key)) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  zor::TextEncoding encoding = zor::TextEncoding::kBytes;
  std::string oddByte;
  const std::string content = zor::DecodeProfileFile(bytes, encoding, &oddByte);
  // Every file is written back byte for byte, a last odd byte of a UTF-16 file included.
  if (zor::EncodeProfileFile(content, encoding, oddByte) != bytes) std::abort();
  for (const Name& name : kNames) {
    const auto value = zor::FindProfileValue(content, name.section, name.key);
    const std::string text = value ? zor::CutProfileValue(*value, 255) : std::string("0");
    if (text.size() > 254) std::abort();
    if (value && zor::CutProfileValue(*value, 6).size() > 5) std::abort();
    (void)zor::ProfileInt(text);
    (void)zor::ProfileReal(text);
    (void)zor::TimeoutMinutes(text);
  }
  CheckWrite(content, "VALUE", "Cmd", "0");
  CheckWrite(content, "Fuzz", "Key", "v");
  if (content.rfind("#!", 0) == 0) {
    const size_t end = content.find('\n');
    const std::string_view line = std::string_view(content).substr(2, end == std::string::npos ? end : end - 2);
    const size_t bar1 = line.find('|');
    const size_t bar2 = bar1 == std::string_view::npos ? bar1 : line.find('|', bar1 + 1);
    if (bar2 != std::string_view::npos) {
      CheckWrite(content, line.substr(0, bar1), line.substr(bar1 + 1, bar2 - bar1 - 1), line.substr(bar2 + 1));
    }
  }
  return 0;
}
