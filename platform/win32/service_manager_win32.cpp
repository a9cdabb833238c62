#include <windows.h>

#include "platform/service_manager.h"

namespace zor {

namespace {

class Win32Service : public ServiceHandle {
 public:
  explicit Win32Service(SC_HANDLE service) : m_service(service) {}
  ~Win32Service() override { CloseServiceHandle(m_service); }

  bool QueryState(uint32_t* state) override {
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(m_service, &status)) return false;
    *state = status.dwCurrentState;
    return true;
  }

  bool Interrogate(uint32_t* state) override {
    SERVICE_STATUS status = {};
    const BOOL ok = ControlService(m_service, SERVICE_CONTROL_INTERROGATE, &status);
    *state = status.dwCurrentState;
    return ok != FALSE;
  }

  bool Start() override { return StartServiceA(m_service, 0, nullptr) != FALSE; }

  bool Stop() override {
    SERVICE_STATUS status = {};
    return ControlService(m_service, SERVICE_CONTROL_STOP, &status) != FALSE;
  }

 private:
  SC_HANDLE m_service;
};

class Win32ManagerHandle : public ServiceManagerHandle {
 public:
  explicit Win32ManagerHandle(SC_HANDLE manager) : m_manager(manager) {}
  ~Win32ManagerHandle() override { CloseServiceHandle(m_manager); }

  std::unique_ptr<ServiceHandle> OpenNamed(const std::string& name) override {
    SC_HANDLE service = OpenServiceA(m_manager, name.c_str(), SERVICE_ALL_ACCESS);
    if (!service) return nullptr;
    return std::make_unique<Win32Service>(service);
  }

  bool Knows(const std::string& name, bool* known) override {
    SC_HANDLE service = OpenServiceA(m_manager, name.c_str(), SERVICE_QUERY_STATUS);
    *known = service != nullptr;
    if (service) CloseServiceHandle(service);
    return *known || GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
  }

 private:
  SC_HANDLE m_manager;
};

class Win32ServiceManager : public ServiceManager {
 public:
  std::unique_ptr<ServiceManagerHandle> Open() override {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return nullptr;
    return std::make_unique<Win32ManagerHandle>(manager);
  }
};

}  // namespace

ServiceManager& SystemServiceManager() {
  static Win32ServiceManager manager;
  return manager;
}

}  // namespace zor
