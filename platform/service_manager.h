// The operating system's service manager, as far as zor2 and the updater need it: open a service
// by name, read its state, interrogate it, start and stop it. Handles close when their objects are destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zor {

// Service states with the system's numbers.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;
constexpr uint32_t kServiceContinuePending = 5;
constexpr uint32_t kServicePausePending = 6;
constexpr uint32_t kServicePaused = 7;

class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  virtual bool QueryState(uint32_t* state) = 0;
  // Asks the service itself for its state; *state is the last known state either way.
  virtual bool Interrogate(uint32_t* state) = 0;
  virtual bool Start() = 0;
  // Asks the service to stop; false when the request was refused.
  virtual bool Stop() = 0;
};

class ServiceManagerHandle {
 public:
  virtual ~ServiceManagerHandle() = default;
  virtual std::unique_ptr<ServiceHandle> OpenNamed(const std::string& name) = 0;
  // Whether the manager knows the service; false when it cannot tell (no access, no answer).
  virtual bool Knows(const std::string& name, bool* known) = 0;
};

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Opens the local manager with full access; null on failure.
  virtual std::unique_ptr<ServiceManagerHandle> Open() = 0;
};

ServiceManager& SystemServiceManager();

}  // namespace zor
