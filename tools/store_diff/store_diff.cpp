// store_diff CORPUS_DIR WORK_DIR: for every file of the corpus, one copy is read and written through
// GetPrivateProfileStringA/WritePrivateProfileStringA and another through the INFO.DAT store, with
// the same sequence of calls. Every read must give the same text. Afterwards both final files must
// hold the same sections and entries as the platform itself reads them back (its section list and
// each section's entries); the bytes may differ, as the store keeps every untouched line as it
// stood while the platform may rewrite the file in its own layout. Exit status 1 on any difference.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/info_store.h"
#include "platform/atomic_file.h"

namespace {

struct Call {
  const char* section;
  const char* key;
  const char* text;  // the default of a read, the value of a write
  size_t capacity;   // 0 with write
  bool write;
};

// The reads the programs do, and the awkward spellings around them.
const Call kReads[] = {
    {"Main", "Build", "B10.1022.1", 260, false},
    {"main", "BUILD", "B10.1022.1", 260, false},
    {" Main ", " Build ", "none", 260, false},
    {"Main", "Build", "B10.1022.1", 4, false},
    {"Main", "Build", "B10.1022.1", 1, false},
    {"INFO", "PV", "0", 260, false},
    {"INFO", "POWERVALUE", "0", 260, false},
    {"SETTING", "Adv", "0", 260, false},
    {"SETTING", "HDD", "3 Mins", 255, false},
    {"SETTING", "MONI", "3 Mins   ", 255, false},
    {"SETTING", "CURVOLT", "5", 255, false},
    {"TIME", "YEAR", "0", 260, false},
    {"VALUE", "Cmd", "0", 255, false},
    {"VALUE", "cmd", "0", 255, false},
    {"VALUE", "SaveTime", "0", 255, false},
    {"value", "savetime", "0", 6, false},
    {"VALUE", "Total", "0", 260, false},
    {"VALUE", "Current", "0", 260, false},
    {"VALUE", "CPU_MAX", "0", 260, false},
    {"VALUE", "Phase", "0", 260, false},
    {"VALUE", "Quoted", "dflt", 255, false},
    {"VALUE", "Single", "dflt", 255, false},
    {"VALUE", "Half", "dflt", 255, false},
    {"VALUE", "Empty", "dflt", 255, false},
    {"VALUE", "NoEquals", "dflt", 255, false},
    {"VALUE", "Missing", "dflt", 255, false},
    {"Spaced", "k", "dflt", 255, false},
    {" Spaced ", "k", "dflt", 255, false},
    {"Tail", "Last", "dflt", 255, false},
    {"", "orphan", "dflt", 255, false},
    {"Nowhere", "Build", "dflt", 255, false},
    {"Second", "Only", "dflt", 255, false},
    {"Second", "Dup", "dflt", 255, false},
    {"Update", "Folder", "", 260, false},
    {"Update", "Folder", "", 9, false},
    {"\xC9t\xE9", "k", "dflt", 255, false},
};

const Call kWrites[] = {
    {"VALUE", "Cmd", "0", 0, true},
    {"VALUE", "cmd", "1", 0, true},
    {"VALUE", "SaveTime", "86400.000000", 0, true},
    {"VALUE", "NewKey", "7", 0, true},
    {"value", "Total", "  12.500000", 0, true},
    {"VALUE", "Empty", "", 0, true},
    {"VALUE", "Quoted", "\"q\"", 0, true},
    {"VALUE", "NoEquals", "now", 0, true},
    {"SETTING", "HDD", "10 Mins", 0, true},
    {"TIME", "YEAR", "2026", 0, true},
    {"Tail", "Last", "written", 0, true},
    {"Second", "Dup", "first", 0, true},
    {"New Section", "Key", "v", 0, true},
    {"", "orphan", "moved", 0, true},
    {"Update", "Folder", "D:\\Mises \xE0 jour", 0, true},
};

std::string PlatformRead(const Call& call, const std::string& path) {
  std::vector<char> buffer(call.capacity + 1, '\0');
  GetPrivateProfileStringA(call.section, call.key, call.text, buffer.data(), static_cast<DWORD>(call.capacity),
                           path.c_str());
  return buffer.data();
}

// The file as the platform reads it: every section name and, for each, its entries.
std::string PlatformView(const std::string& path) {
  std::vector<char> names(65536, '\0');
  const DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
  std::string view;
  for (const char* name = names.data(); name < names.data() + length && *name; name += strlen(name) + 1) {
    std::vector<char> entries(65536, '\0');
    const DWORD size = GetPrivateProfileSectionA(name, entries.data(), static_cast<DWORD>(entries.size()), path.c_str());
    view += "[" + std::string(name) + "]\n";
    for (const char* entry = entries.data(); entry < entries.data() + size && *entry; entry += strlen(entry) + 1) {
      view += "  " + std::string(entry) + "\n";
    }
  }
  return view;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char escaped[8];
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n\n";
    else if (c < 32 || c > 126) { std::snprintf(escaped, sizeof escaped, "\\x%02X", c); out += escaped; }
    else out += static_cast<char>(c);
  }
  return out;
}

bool CopyInto(const std::string& from, const std::string& to) {
  std::string content;
  return zor::ReadWholeFile(from, content) == zor::FileRead::Ok &&
         zor::ReplaceWholeFile(to, content) == zor::FileWrite::Ok;
}

// A deliberate difference: when a quoted value fills the buffer exactly, the platform drops its
// last character along with the closing quote; the store keeps it.
bool QuotedValueFillsBuffer(const Call& call, const std::string& path, const std::string& expected,
                            const std::string& got) {
  Call whole = call;
  whole.capacity = 4096;
  return got.size() + 1 == call.capacity && PlatformRead(whole, path) == got && !got.empty() &&
         expected == got.substr(0, got.size() - 1);
}

// Runs every call on both copies; returns the number of differences.
int Compare(const std::string& name, const std::string& platformPath, const std::string& storePath) {
  zor::InfoStore store(storePath);
  int differences = 0;
  auto reads = [&](const char* phase) {
    for (const Call& call : kReads) {
      const std::string expected = PlatformRead(call, platformPath);
      const std::string got = store.Read(call.section, call.key, call.text, call.capacity);
      if (expected == got) continue;
      if (QuotedValueFillsBuffer(call, platformPath, expected, got)) {
        std::printf("%s: %s read [%s] %s (capacity %zu): platform \"%s\", store \"%s\" (known: quoted value fills "
                    "the buffer)\n", name.c_str(), phase, call.section, call.key, call.capacity,
                    Printable(expected).c_str(), Printable(got).c_str());
        continue;
      }
      ++differences;
      std::printf("%s: %s read [%s] %s (capacity %zu): platform \"%s\", store \"%s\"\n", name.c_str(), phase,
                  call.section, call.key, call.capacity, Printable(expected).c_str(), Printable(got).c_str());
    }
  };
  reads("before writes:");
  for (const Call& call : kWrites) {
    const bool expected = WritePrivateProfileStringA(call.section, call.key, call.text, platformPath.c_str()) != FALSE;
    const bool got = store.Write(call.section, call.key, call.text);
    if (expected != got) {
      ++differences;
      std::printf("%s: write [%s] %s=%s: platform %s, store %s\n", name.c_str(), call.section, call.key, call.text,
                  expected ? "ok" : "failed", got ? "ok" : "failed");
    }
  }
  reads("after writes:");
  const std::string expectedView = PlatformView(platformPath);
  const std::string gotView = PlatformView(storePath);
  if (expectedView != gotView) {
    ++differences;
    std::string storeBytes;
    zor::ReadWholeFile(storePath, storeBytes);
    std::printf("%s: final files differ\n--- platform reads its own file as:\n%s--- platform reads the store's file as:\n%s"
                "--- the store's file:\n%s\n",
                name.c_str(), expectedView.c_str(), gotView.c_str(), Printable(storeBytes).c_str());
  }
  // A UTF-16 file stays UTF-16 (and any other stays as it was), as the platform keeps it.
  std::string platformBytes, storeBytes;
  zor::ReadWholeFile(platformPath, platformBytes);
  zor::ReadWholeFile(storePath, storeBytes);
  const auto isUtf16 = [](const std::string& bytes) {
    return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
  };
  if (isUtf16(platformBytes) != isUtf16(storeBytes)) {
    ++differences;
    std::printf("%s: the platform's file is %s, the store's %s\n", name.c_str(),
                isUtf16(platformBytes) ? "UTF-16" : "bytes", isUtf16(storeBytes) ? "UTF-16" : "bytes");
  }
  return differences;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: store_diff CORPUS_DIR WORK_DIR\n");
    return 2;
  }
  char corpus[MAX_PATH], work[MAX_PATH];
  if (!GetFullPathNameA(argv[1], sizeof corpus, corpus, nullptr) ||
      !GetFullPathNameA(argv[2], sizeof work, work, nullptr)) {
    return 2;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(corpus) + "\\*.dat").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "no corpus files in %s\n", corpus);
    return 2;
  }
  int files = 0, differences = 0;
  do {
    const std::string name = found.cFileName;
    const std::string platformPath = std::string(work) + "\\platform-" + name;
    const std::string storePath = std::string(work) + "\\store-" + name;
    if (!CopyInto(std::string(corpus) + "\\" + name, platformPath) ||
        !CopyInto(std::string(corpus) + "\\" + name, storePath)) {
      std::printf("%s: cannot copy into %s\n", name.c_str(), work);
      ++differences;
      continue;
    }
    ++files;
    differences += Compare(name, platformPath, storePath);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::printf("%d files, %d differences\n", files, differences);
  return differences == 0 ? 0 : 1;
}
