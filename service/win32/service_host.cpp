// Zor2Svr.exe: installs ("-i") or removes ("-u") the ZOR2 Service, or runs as it under the service
// control manager. Everything it has to say goes to Satae.log beside the program.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "common/hwk_binding.h"
#include "common/info_store.h"
#include "platform/clock.h"
#include "platform/perf_data.h"
#include "platform/program_paths.h"
#include "service/cpu_load.h"
#include "service/hardware_locks.h"
#include "service/monitor.h"
#include "service/service_flags.h"
#include "service/trace.h"
#include "service/value_store.h"

namespace {

using zor::Tracef;

char kServiceName[] = "ZOR2 Service";
constexpr char kDisplayName[] = "ZOR2 Service for Energy Saving.";
constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;

// Shared by ServiceMain and the control handler, which runs on the dispatcher's thread.
SERVICE_STATUS g_status = {};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
zor::ServiceFlags g_flags;
zor::FileTrace g_trace("");
std::string g_infoPath;

void BuildPaths() {
  const std::string dir = zor::ProgramDirectory();
  g_trace = zor::FileTrace(zor::JoinPath(dir, "Satae.log"));
  g_infoPath = zor::JoinPath(dir, "INFO.DAT");
}

// The system's text for an error code, default language, then a line end.
void TraceLastError(DWORD error) {
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     text, sizeof text, nullptr);
  if (length > 0) g_trace.Write(std::string(text, length < sizeof text ? length : sizeof text - 1));
  g_trace.Write("\n");
}

bool ReportState(DWORD state) {
  g_status.dwCurrentState = state;
  g_status.dwWin32ExitCode = 0;
  g_status.dwCheckPoint = 0;
  g_status.dwWaitHint = 0;
  return SetServiceStatus(g_statusHandle, &g_status) != FALSE;
}

void WINAPI ServiceControl(DWORD code) {
  g_trace.Write("\n****Into service control****\n");
  switch (code) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      g_trace.Write("Stopping...\n");
      if (!ReportState(SERVICE_STOP_PENDING)) {
        const DWORD error = GetLastError();
        Tracef(g_trace, "ZOR2 Service SetServiceStatus error %ld\n", static_cast<long>(error));
        TraceLastError(error);
      }
      g_flags.running.store(false);
      break;
    case SERVICE_CONTROL_PAUSE:
      g_trace.Write("Service Control pause!!\n");
      g_status.dwCurrentState = SERVICE_PAUSED;
      break;
    case SERVICE_CONTROL_CONTINUE:
      g_trace.Write("CONTINUE...\n");
      if (ReportState(SERVICE_RUNNING)) return;
      {
        const DWORD error = GetLastError();
        Tracef(g_trace, "ZOR2 Service SetServiceStatus continue error 0x%lx\n",
               static_cast<unsigned long>(error));
        TraceLastError(error);
      }
      return;
    case SERVICE_CONTROL_INTERROGATE:
      g_trace.Write("Service Control Interrogate!!\n");
      break;
    default:
      Tracef(g_trace, "ZOR2 Service unrecognized control code 0x%lx\n",
             static_cast<unsigned long>(code));
      break;
  }
  Tracef(g_trace, "DwCode=0x%lx\n", static_cast<unsigned long>(code));
  g_trace.Write("\nLeave service control...\n");
}

zor::Hwk* LoadServiceHwk() {
  // The library stays loaded for the life of the process.
  static zor::HwkLoadResult loaded = zor::LoadHwk(zor::HwkClient::Service);
  return loaded.status == zor::HwkBindStatus::Ok ? loaded.hwk.get() : nullptr;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  g_status.dwServiceType = kServiceType;
  g_status.dwCurrentState = SERVICE_RUNNING;
  g_status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
  g_statusHandle = RegisterServiceCtrlHandlerA(kServiceName, ServiceControl);
  if (!g_statusHandle) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "ZOR2 Service RegisterServiceCtrlHandler failed %lu\n",
           static_cast<unsigned long>(error));
    TraceLastError(error);
    return;
  }
  BuildPaths();
  g_trace.Clear();
  if (!ReportState(SERVICE_RUNNING)) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "ZOR2 Service SetServiceStatus error %lu\n", static_cast<unsigned long>(error));
    TraceLastError(error);
  }

  g_flags.running.store(true);
  g_flags.samplerStop.store(false);
  zor::InfoStore info(g_infoPath);
  zor::InfoValueStore store(info);
  zor::HardwareLocks locks;
  std::thread sampler;
  zor::ServiceDeps deps{g_trace, g_flags, zor::SystemClock(), store, locks,
                        LoadServiceHwk,
                        [] { ServiceControl(SERVICE_CONTROL_STOP); },
                        [&sampler] {
                          sampler = std::thread([] {
                            zor::CpuLoadSampler cpu(zor::SystemPerfData());
                            zor::RunSampler(cpu, g_flags, zor::SystemClock());
                          });
                        }};
  zor::RunService(deps);
  g_flags.samplerStop.store(true);
  if (sampler.joinable()) sampler.join();

  if (!ReportState(SERVICE_STOPPED)) {
    Tracef(g_trace, "VORT Service SetServiceStatus error 0x%lx\n",
           static_cast<unsigned long>(GetLastError()));
  }
  g_trace.Write("Bye Bye!!");
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
      CreateServiceA(manager, kServiceName, kDisplayName, SERVICE_ALL_ACCESS, kServiceType,
                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr,
                     nullptr, nullptr, nullptr);
  if (!service) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "VORT Service CreateService error = %lu\n", static_cast<unsigned long>(error));
    TraceLastError(error);
  }
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
}

void Remove() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    Tracef(g_trace, "ZOR2 Service OpenSCManager error = %lu\n",
           static_cast<unsigned long>(GetLastError()));
  }
  SC_HANDLE service = manager ? OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS) : nullptr;
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
  SERVICE_TABLE_ENTRYA table[] = {{kServiceName, ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table)) {
    const DWORD error = GetLastError();
    Tracef(g_trace, "VORT Service StartServiceCtrlDispatcher error = %lu\n",
           static_cast<unsigned long>(error));
    TraceLastError(error);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
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
