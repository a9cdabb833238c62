#include "tools/fwprobe/probe_hwk.h"

namespace zor::fwprobe {

namespace {

class BoundHwk : public ProbeHwk {
 public:
  explicit BoundHwk(std::unique_ptr<HwkBinding> binding) : m_binding(std::move(binding)) {}
  Hwk& hwk() override { return *m_binding; }

 private:
  std::unique_ptr<HwkBinding> m_binding;
};

}  // namespace

std::unique_ptr<ProbeHwk> OpenProbeHwk(HwkClient client, std::string& error) {
  HwkLoadResult loaded = LoadHwk(client);
  if (loaded.status == HwkBindStatus::Ok) return std::make_unique<BoundHwk>(std::move(loaded.hwk));
  error = loaded.status == HwkBindStatus::MissingEntry
              ? loaded.path + " lacks the entry point " + loaded.missingEntry
              : std::string("no hwk.dll beside the program or in the system directory");
  return nullptr;
}

}  // namespace zor::fwprobe
