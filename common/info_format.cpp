#include "common/info_format.h"

#include <cstdint>

#include "platform/utf16.h"

namespace zor {

namespace {

// The profile functions count ^Z (an old end-of-file mark) as a blank too.
bool IsBlank(char c) { return (c >= '\t' && c <= '\r') || c == ' ' || c == '\x1a'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// Names and values end at a NUL byte, as the C strings of the platform did.
std::string_view UpToNul(std::string_view s) {
  const size_t nul = s.find('\0');
  return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// One physical line: [begin, end) is its text without the line break, next the start of the next
// line. A line ends at a CR LF pair, a lone LF or a lone CR, as the profile functions end it.
struct Line {
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
};

// A UTF-8 byte-order mark before the first line is not part of it.
size_t TextStart(std::string_view content) { return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0; }

// The line break for text inserted at pos: CR LF, or a lone CR in a file whose lines end that way
// (no LF after pos, and a CR since the last one before it), so the file keeps one style.
std::string_view LineBreakAt(std::string_view content, size_t pos) {
  if (content.find('\n', pos) != std::string_view::npos) return "\r\n";
  const size_t lastLf = content.rfind('\n', pos == 0 ? 0 : pos - 1);
  const size_t from = lastLf == std::string_view::npos ? 0 : lastLf + 1;
  return content.substr(from, pos - from).find('\r') != std::string_view::npos ? "\r" : "\r\n";
}

class Lines {
 public:
  explicit Lines(std::string_view content) : m_content(content), m_pos(TextStart(content)) {}
  bool Next(Line& line) {
    if (m_pos >= m_content.size()) return false;
    line.begin = m_pos;
    const size_t stop = m_content.find_first_of("\r\n", m_pos);
    if (stop == std::string_view::npos) {
      line.end = line.next = m_content.size();
    } else {
      line.end = stop;
      line.next = stop + 1;
      if (m_content[stop] == '\r' && line.next < m_content.size() && m_content[line.next] == '\n') {
        ++line.next;
      }
    }
    m_pos = line.next;
    return true;
  }

 private:
  std::string_view m_content;
  size_t m_pos;
};

// What a line means once its blanks are trimmed.
struct Entry {
  enum Kind { kBlank, kSection, kKey } kind = kBlank;
  std::string_view name;   // section or key name
  std::string_view value;  // key lines with '=' only
  bool hasValue = false;
  size_t textBegin = 0;    // offset of the trimmed text in the content
  size_t textEnd = 0;
};

Entry Classify(std::string_view content, const Line& line) {
  Entry entry;
  const std::string_view raw = content.substr(line.begin, line.next - line.begin);
  const std::string_view text = Trim(raw);
  if (text.empty()) return entry;
  entry.textBegin = static_cast<size_t>(text.data() - content.data());
  entry.textEnd = entry.textBegin + text.size();
  if (text.front() == '[') {
    const size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      entry.kind = Entry::kSection;
      entry.name = UpToNul(Trim(text.substr(1, close - 1)));
      return entry;
    }
  }
  entry.kind = Entry::kKey;
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    entry.name = UpToNul(text);
    return entry;
  }
  entry.name = UpToNul(TrimRight(text.substr(0, equals)));
  entry.value = UpToNul(TrimLeft(text.substr(equals + 1)));
  entry.hasValue = true;
  return entry;
}

// Where a section and a key of it lie in the content.
struct Location {
  bool sectionFound = false;
  bool keyFound = false;
  Entry key;
  size_t insertAt = 0;  // just after the section's last non-blank line
  bool insertNeedsBreak = false;
};

Location Locate(std::string_view content, std::string_view section, std::string_view key) {
  Location where;
  where.insertAt = TextStart(content);
  // Lines before the first header form a section without a name.
  bool inSection = section.empty();
  where.sectionFound = inSection;
  Lines lines(content);
  Line line;
  while (lines.Next(line)) {
    const Entry entry = Classify(content, line);
    if (entry.kind == Entry::kSection) {
      if (inSection) break;  // only the first section of a name counts
      inSection = EqualNoCase(entry.name, section);
      if (inSection) {
        where.sectionFound = true;
        where.insertAt = line.next;
        where.insertNeedsBreak = line.end == line.next;
      }
      continue;
    }
    if (!inSection || entry.kind == Entry::kBlank) continue;
    where.insertAt = line.next;
    where.insertNeedsBreak = line.end == line.next;
    if (EqualNoCase(entry.name, key)) {
      where.keyFound = true;
      where.key = entry;
      return where;
    }
  }
  return where;
}

void AppendUtf16(std::string& out, uint32_t unit, TextEncoding encoding) {
  const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
  if (encoding == TextEncoding::kUtf16Le) {
    out += low;
    out += high;
  } else {
    out += high;
    out += low;
  }
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string DecodeProfileFile(std::string_view bytes, TextEncoding& encoding, std::string* oddByte) {
  encoding = TextEncoding::kBytes;
  if (oddByte) oddByte->clear();
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") encoding = TextEncoding::kUtf16Le;
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") encoding = TextEncoding::kUtf16Be;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") encoding = TextEncoding::kUtf8;
  if (encoding == TextEncoding::kBytes || encoding == TextEncoding::kUtf8) return std::string(bytes);
  const bool little = encoding == TextEncoding::kUtf16Le;
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const uint8_t first = static_cast<uint8_t>(bytes[i]), second = static_cast<uint8_t>(bytes[i + 1]);
    units += static_cast<char16_t>(little ? (first | second << 8) : (first << 8 | second));
  }
  // A last odd byte is no character.
  if (oddByte && bytes.size() % 2) oddByte->assign(1, bytes.back());
  return Utf16ToUtf8(units);
}

std::string EncodeProfileFile(std::string_view text, TextEncoding encoding, std::string_view oddByte) {
  if (encoding == TextEncoding::kBytes || encoding == TextEncoding::kUtf8) return std::string(text);
  std::string bytes;
  bytes.reserve(2 + text.size() * 2 + oddByte.size());
  AppendUtf16(bytes, 0xFEFF, encoding);
  for (char16_t unit : Utf8ToUtf16(text)) AppendUtf16(bytes, unit, encoding);
  bytes.append(oddByte.data(), oddByte.size());
  return bytes;
}

std::optional<std::string_view> FindProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key) {
  key = Trim(key);
  if (key.empty()) return std::nullopt;
  const Location where = Locate(content, Trim(section), key);
  if (!where.keyFound || !where.key.hasValue) return std::nullopt;
  return where.key.value;
}

std::string_view UnquoteProfileValue(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string CutProfileValue(std::string_view value, size_t capacity) {
  value = UnquoteProfileValue(value);
  if (capacity == 0) return std::string();
  return std::string(value.substr(0, capacity - 1));
}

std::string_view TrimDefault(std::string_view def) {
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  return def;
}

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (key.empty()) return false;
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  return key.find('=') == std::string_view::npos && key.front() != '[';
}

std::string SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  value = TrimLeft(value);
  const Location where = Locate(content, section, key);
  std::string result;
  result.reserve(content.size() + section.size() + key.size() + value.size() + 8);
  if (where.keyFound) {
    // The line keeps its own indentation, spelling of the key and line break.
    result.append(content.substr(0, where.key.textBegin));
    result.append(where.key.name);
    result += '=';
    result.append(value);
    result.append(content.substr(where.key.textEnd));
    return result;
  }
  if (where.sectionFound) {
    const std::string_view lineBreak = LineBreakAt(content, where.insertAt);
    result.append(content.substr(0, where.insertAt));
    if (where.insertNeedsBreak && where.insertAt > TextStart(content)) result.append(lineBreak);
    result.append(key);
    result += '=';
    result.append(value);
    result.append(lineBreak);
    result.append(content.substr(where.insertAt));
    return result;
  }
  const std::string_view lineBreak = LineBreakAt(content, content.size());
  result.append(content);
  if (content.size() > TextStart(content) && content.back() != '\n' && content.back() != '\r') {
    result.append(lineBreak);
  }
  result += '[';
  result.append(section);
  result += ']';
  result.append(lineBreak);
  result.append(key);
  result += '=';
  result.append(value);
  result.append(lineBreak);
  return result;
}

}  // namespace zor
