// Zor2Svr.exe: installs ("-i") or removes ("-u") the ZOR2 Service, or runs as it under the service
// control manager. Everything it has to say goes to Satae.log beside the program.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/hwk_binding.h"
#include "common/info_keys.h"
#include "common/info_store.h"
#include "common/service_name.h"
#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/perf_data.h"
#include "platform/program_paths.h"
#include "platform/system_info.h"
#include "service/cpu_load.h"
#include "service/hardware_locks.h"
#include "service/metrics_publisher.h"
#include "service/monitor.h"
#include "service/service_host.h"
#include "service/service_flags.h"
#include "service/trace.h"
#include "service/update_recovery.h"
#include "service/value_store.h"

namespace {

using zor::Tracef;

constexpr char kDisplayName[] = "ZOR2 Service for Energy Saving.";
constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
constexpr char kDescription[] =
    "Measures the CPU through the board's sensors and keeps the energy saving figures for the "
    "ZOR2 window. If it is stopped, the window's figures stop changing.";
// A crashed service is restarted after a minute, twice; the failure count is forgotten after a
// day, so that a service that fails again much later is restarted again.
constexpr DWORD kRestartDelayMs = 60 * 1000;
constexpr DWORD kFailureResetSeconds = 24 * 60 * 60;

// The registration and dispatcher tables take the name as a writable string.
char g_serviceName[sizeof zor::kServiceName];
zor::ServiceFlags g_flags;
zor::FileTrace g_trace("");
std::string g_infoPath;

void BuildPaths() {
  const std::string dir = zor::ProgramDirectory();
  g_trace = zor::FileTrace(zor::JoinPath(dir, "Satae.log"));
  g_infoPath = zor::JoinPath(dir, "INFO.DAT");
}

// The system's text for an error code, default language.
std::string ErrorText(DWORD error) {
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     text, sizeof text, nullptr);
  return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

void TraceLastError(DWORD error) {
  g_trace.Write(ErrorText(error));
  g_trace.Write("\n");
}

DWORD WINAPI ServiceControl(DWORD code, DWORD eventType, void* eventData, void* context);

// The control manager behind the portable host. The status record is shared by the service
// thread and the control handler, which runs on the dispatcher's thread.
class Win32ServicePort : public zor::ServiceHostPort {
 public:
  bool RegisterHandler() override {
    m_status.dwServiceType = kServiceType;
    m_status.dwCurrentState = SERVICE_RUNNING;
    // Power events tell of a resume, after which the rails are written again.
    m_status.dwControlsAccepted =
        SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_POWEREVENT;
    m_handle = RegisterServiceCtrlHandlerExA(g_serviceName, ServiceControl, nullptr);
    return m_handle != nullptr;
  }
  bool Report(zor::ServiceState state, uint32_t waitHintMs) override {
    m_status.dwCurrentState = static_cast<DWORD>(state);
    m_status.dwWin32ExitCode = 0;
    m_status.dwCheckPoint = 0;
    m_status.dwWaitHint = waitHintMs;
    return SetServiceStatus(m_handle, &m_status) != FALSE;
  }
  void Record(zor::ServiceState state) override { m_status.dwCurrentState = static_cast<DWORD>(state); }
  uint32_t LastError() override { return GetLastError(); }
  std::string ErrorText(uint32_t error) override { return ::ErrorText(error); }
  bool StartThread(std::function<void()> body) override {
    auto* owned = new std::function<void()>(std::move(body));
    m_thread = CreateThread(nullptr, 0, ThreadMain, owned, 0, nullptr);
    if (!m_thread) delete owned;
    return m_thread != nullptr;
  }
  bool JoinThread(uint32_t timeoutMs) override {
    if (!m_thread) return true;
    const bool ended = WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(m_thread);
    m_thread = nullptr;
    return ended;
  }

 private:
  static DWORD WINAPI ThreadMain(void* param) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(param));
    (*body)();
    return 0;
  }

  SERVICE_STATUS m_status = {};
  SERVICE_STATUS_HANDLE m_handle = nullptr;
  HANDLE m_thread = nullptr;
};

Win32ServicePort g_port;
zor::ServiceHost g_host(g_port, g_trace, g_flags);
// Set when ServiceMain has written its last line. The dispatcher returns as soon as the stopped
// state is reported, and the process must not end under that last write.
HANDLE g_mainEnded = nullptr;
constexpr DWORD kMainEndWaitMs = 2000;

DWORD WINAPI ServiceControl(DWORD code, DWORD eventType, void*, void*) {
  g_host.Control(code, eventType);
  return NO_ERROR;
}

zor::Hwk* LoadServiceHwk() {
  // The library stays loaded for the life of the process.
  static zor::HwkLoadResult loaded = zor::LoadHwk(zor::HwkClient::Service);
  return loaded.status == zor::HwkBindStatus::Ok ? loaded.hwk.get() : nullptr;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  const std::string dir = zor::ProgramDirectory();
  g_infoPath = zor::JoinPath(dir, "INFO.DAT");
  g_host.Main(zor::JoinPath(dir, "Satae.log"), [dir] {
    zor::InfoStore info(g_infoPath);
    zor::RecoverInterruptedUpdate(zor::SystemFileOps(), zor::SystemVersionListing(), info, dir, g_trace);
    zor::InfoValueStore store(info, &g_trace);
    zor::HardwareLocks locks;
    zor::EnergyHistoryLog history(zor::JoinPath(dir, zor::kHistoryFileName), [] {
      const zor::LocalTime t = zor::RealSystemInfo().Now();
      return zor::HourStamp{t.wYear, t.wMonth, t.wDay, t.wHour};
    });
    zor::ServiceDeps deps{g_trace, g_flags, zor::SystemClock(), store, locks,
                          LoadServiceHwk,
                          [] { ServiceControl(SERVICE_CONTROL_STOP, 0, nullptr, nullptr); },
                          [] {
                            g_host.StartSampler([] {
                              zor::CpuLoadSampler cpu(zor::SystemPerfData());
                              zor::RunSampler(cpu, g_flags, zor::SystemClock());
                            });
                          },
                          &history};
    const auto metricsFolder = [&info] {
      return info.Read(zor::info::kMetrics, zor::info::kMetricsFolder, "", zor::info::kPathCapacity);
    };
    zor::MetricsPublisher metrics(zor::SystemClock(), g_trace, metricsFolder, ZOR_VERSION);
    deps.metrics = &metrics;
    deps.readSetting = [&info](const char* key, const char* def) {
      return info.Read(zor::info::kSetting, key, def, zor::info::kSettingCapacity);
    };
    deps.cpuSignature = zor::RealSystemInfo().Cpuid1().eax;
    zor::RunService(deps);
  });
  if (g_mainEnded) SetEvent(g_mainEnded);
}

// The description and the restart-on-failure actions; a failure of either leaves the service
// installed and is only logged.
void DescribeService(SC_HANDLE service) {
  char description[sizeof kDescription];
  std::memcpy(description, kDescription, sizeof description);
  SERVICE_DESCRIPTIONA text = {description};
  if (!ChangeServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, &text)) {
    Tracef(g_trace, "ZOR2 Service description error = %lu\n",
           static_cast<unsigned long>(GetLastError()));
  }
  SC_ACTION actions[] = {{SC_ACTION_RESTART, kRestartDelayMs},
                         {SC_ACTION_RESTART, kRestartDelayMs},
                         {SC_ACTION_NONE, 0}};
  SERVICE_FAILURE_ACTIONSA failure = {};
  failure.dwResetPeriod = kFailureResetSeconds;
  failure.cActions = sizeof actions / sizeof actions[0];
  failure.lpsaActions = actions;
  if (!ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure)) {
    Tracef(g_trace, "ZOR2 Service failure actions error = %lu\n",
           static_cast<unsigned long>(GetLastError()));
  }
}

void Install() {
  g_trace.Write("Install Service\n");
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "VORT Service OpenSCManager error = %lu\n", static_cast<unsigned long>(error));
    TraceLastError(error);
  }
  const std::string path = zor::ProgramPath();
  // Quoted, so that a directory with blanks cannot be taken for a shorter program name.
  const std::string image = "\"" + path + "\"";
  std::printf("\nInstalling service %s", path.c_str());
  std::fflush(stdout);
  SC_HANDLE service =
      CreateServiceA(manager, g_serviceName, kDisplayName, SERVICE_ALL_ACCESS, kServiceType,
                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr,
                     nullptr, nullptr, nullptr);
  if (!service) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "VORT Service CreateService error = %lu\n", static_cast<unsigned long>(error));
    TraceLastError(error);
  }
  if (service) {
    DescribeService(service);
    CloseServiceHandle(service);
  }
  if (manager) CloseServiceHandle(manager);
}

void Remove() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    Tracef(g_trace, "ZOR2 Service OpenSCManager error = %lu\n",
           static_cast<unsigned long>(GetLastError()));
  }
  SC_HANDLE service = manager ? OpenServiceA(manager, g_serviceName, SERVICE_ALL_ACCESS) : nullptr;
  if (service) {
    DeleteService(service);
    CloseServiceHandle(service);
  }
  if (manager) CloseServiceHandle(manager);
  std::printf("\nZOR2 Service uninstalled...");
  std::fflush(stdout);
}

void RunAsService() {
  g_trace.Write("About to start service control...\n");
  SERVICE_TABLE_ENTRYA table[] = {{g_serviceName, ServiceMain}, {nullptr, nullptr}};
  g_mainEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (StartServiceCtrlDispatcherA(table)) {
    if (g_mainEnded) WaitForSingleObject(g_mainEnded, kMainEndWaitMs);
  } else {
    const DWORD error = GetLastError();
    Tracef(g_trace, "VORT Service StartServiceCtrlDispatcher error = %lu\n",
           static_cast<unsigned long>(error));
    TraceLastError(error);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::memcpy(g_serviceName, zor::kServiceName, sizeof g_serviceName);
  BuildPaths();
  // The whole text after the program name, exactly: "-i " or "-I" run the service.
  const char* text = commandLine ? commandLine : "";
  if (std::strcmp(text, "-i") == 0) {
    Install();
  } else if (std::strcmp(text, "-u") == 0) {
    Remove();
  } else {
    RunAsService();
  }
  return 0;
}
