#include "service/hardware_locks.h"

namespace zor {

HardwareLocks::HardwareLocks(uint32_t timeoutMs)
    : m_timeoutMs(timeoutMs), m_isa(kIsaName), m_smbus(kSmbusName), m_pci(kPciName) {}

}  // namespace zor
