#include <mutex>
#include <set>

#include "platform/single_instance.h"

namespace zor {

namespace {

// Natively only the tools link this: one claim per name and process is all they need.
class ProcessSingleInstance : public SingleInstance {
 public:
  bool Claim(const std::string& name) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_names.insert(name).second;
  }

 private:
  std::mutex m_mutex;
  std::set<std::string> m_names;
};

}  // namespace

SingleInstance& SystemSingleInstance() {
  static ProcessSingleInstance instance;
  return instance;
}

}  // namespace zor
