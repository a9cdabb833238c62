// A service manager holding one service in memory. A start moves a stopped service to "start
// pending"; it reports running after `pollsToRun` further interrogations. Every handle opened is
// counted, so a test can see that all were closed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/service_manager.h"

namespace zor {

class FakeServiceManager : public ServiceManager {
 public:
  std::string name = "ZOR2 Service";
  bool installed = false;
  bool managerOpens = true;
  bool queryWorks = true;
  bool startAccepted = true;
  bool stopAccepted = true;
  bool lookupWorks = true;  // whether the manager can tell if the service is installed
  uint32_t state = kServiceStopped;
  int pollsToRun = 1;  // interrogations after a start until it runs; < 0 never
  int queries = 0;
  int interrogations = 0;
  int starts = 0;
  int stops = 0;
  int openHandles = 0;

  std::unique_ptr<ServiceManagerHandle> Open() override;

 private:
  int m_pending = 0;
  friend class FakeServiceHandle;
  friend class FakeManagerHandle;
};

class FakeServiceHandle : public ServiceHandle {
 public:
  explicit FakeServiceHandle(FakeServiceManager& owner) : m_owner(owner) { ++m_owner.openHandles; }
  ~FakeServiceHandle() override { --m_owner.openHandles; }
  bool QueryState(uint32_t* state) override {
    ++m_owner.queries;
    if (!m_owner.queryWorks) return false;
    *state = m_owner.state;
    return true;
  }
  bool Interrogate(uint32_t* state) override {
    ++m_owner.interrogations;
    if (m_owner.state == kServiceStartPending && m_owner.pollsToRun >= 0 &&
        m_owner.m_pending-- <= 0) {
      m_owner.state = kServiceRunning;
    }
    *state = m_owner.state;
    return true;
  }
  bool Start() override {
    ++m_owner.starts;
    if (!m_owner.startAccepted || m_owner.state != kServiceStopped) return false;
    m_owner.state = kServiceStartPending;
    m_owner.m_pending = m_owner.pollsToRun;
    return true;
  }
  bool Stop() override {
    ++m_owner.stops;
    if (!m_owner.stopAccepted || m_owner.state == kServiceStopped) return false;
    m_owner.state = kServiceStopped;
    return true;
  }

 private:
  FakeServiceManager& m_owner;
};

class FakeManagerHandle : public ServiceManagerHandle {
 public:
  explicit FakeManagerHandle(FakeServiceManager& owner) : m_owner(owner) { ++m_owner.openHandles; }
  ~FakeManagerHandle() override { --m_owner.openHandles; }
  std::unique_ptr<ServiceHandle> OpenNamed(const std::string& serviceName) override {
    if (!m_owner.installed || serviceName != m_owner.name) return nullptr;
    return std::make_unique<FakeServiceHandle>(m_owner);
  }
  bool Knows(const std::string& serviceName, bool* known) override {
    *known = m_owner.installed && serviceName == m_owner.name;
    return m_owner.lookupWorks;
  }

 private:
  FakeServiceManager& m_owner;
};

inline std::unique_ptr<ServiceManagerHandle> FakeServiceManager::Open() {
  if (!managerOpens) return nullptr;
  return std::make_unique<FakeManagerHandle>(*this);
}

}  // namespace zor
