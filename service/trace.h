// The service's trace log. It has no user interface, so every message it has goes here.
#pragma once

#include <string>
#include <string_view>

namespace zor {

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  // Writes the text verbatim; a message that cannot be written is lost.
  virtual void Write(std::string_view text) = 0;
};

// Formats into a bounded buffer (longer messages are cut) and writes the result.
void Tracef(TraceSink& sink, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Satae.log: opened for appending, written and closed again for every message, so the log stays
// whole whatever happens to the process and another thread's lines can interleave only line by line.
class FileTrace : public TraceSink {
 public:
  explicit FileTrace(std::string path) : m_path(std::move(path)) {}
  void Write(std::string_view text) override;
  // Deletes the log, so that it starts afresh.
  void Clear();
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace zor
