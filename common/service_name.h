// The name under which the service is registered, shared by the service and the GUI that
// installs, starts and queries it.
#pragma once

namespace zor {

constexpr char kServiceName[] = "ZOR2 Service";

}  // namespace zor
