#include "service/hardware_locks.h"

namespace zor {

HardwareLocks::HardwareLocks(uint32_t timeoutMs, const char* isaName, const char* smbusName,
                             const char* pciName)
    : m_timeoutMs(timeoutMs),
      m_names{isaName, smbusName, pciName},
      m_isa(isaName),
      m_smbus(smbusName),
      m_pci(pciName) {}

std::vector<std::string> HardwareLocks::Unavailable() const {
  std::vector<std::string> names;
  const NamedMutex* locks[] = {&m_isa, &m_smbus, &m_pci};
  for (size_t i = 0; i < 3; ++i) {
    if (!locks[i]->Valid()) names.push_back(m_names[i]);
  }
  return names;
}

}  // namespace zor
