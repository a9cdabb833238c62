#include "service/trace.h"

#include <cstdarg>
#include <cstdio>

namespace zor {

namespace {
#ifdef _WIN32
constexpr char kAppendText[] = "a+t";
#else
constexpr char kAppendText[] = "a+";
#endif
constexpr size_t kMessageCapacity = 1024;
}  // namespace

void Tracef(TraceSink& sink, const char* format, ...) {
  char buffer[kMessageCapacity];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return;
  const size_t used = static_cast<size_t>(length) < sizeof buffer ? static_cast<size_t>(length)
                                                                  : sizeof buffer - 1;
  sink.Write(std::string_view(buffer, used));
}

void FileTrace::Write(std::string_view text) {
  std::FILE* file = std::fopen(m_path.c_str(), kAppendText);
  if (!file) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

void FileTrace::Clear() { std::remove(m_path.c_str()); }

}  // namespace zor
