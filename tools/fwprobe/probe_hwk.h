// Where fwprobe gets its hardware access: on Windows the hwk.dll beside it, bound as the named
// program binds it; natively the simulated board file beside it.
#pragma once

#include <memory>
#include <string>

#include "common/hwk_binding.h"
#include "platform/hwk.h"

namespace zor::fwprobe {

class ProbeHwk {
 public:
  virtual ~ProbeHwk() = default;
  virtual Hwk& hwk() = 0;
};

// nullptr with `error` set when there is no usable library or board.
std::unique_ptr<ProbeHwk> OpenProbeHwk(HwkClient client, std::string& error);

}  // namespace zor::fwprobe
