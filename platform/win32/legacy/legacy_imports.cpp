// Stand-ins for the kernel32 functions newer than Windows 2000 that mingw-w64's static threads
// library imports (GetTickCount64 from Vista, the vectored exception handlers from XP). Linked into
// every Windows program and DLL, these import pointers take the place of the import-table entries:
// each call forwards to the system's own function when it has one and falls back otherwise, so the
// files load on Windows 2000.
#include <windows.h>

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();
using AddHandlerFn = PVOID(WINAPI*)(ULONG, PVOID);
using RemoveHandlerFn = ULONG(WINAPI*)(PVOID);

// Looked up on each call: no guarded statics here, as those would use the threads library that
// calls in. GetModuleHandle and GetProcAddress are cheap beside what the callers do.
// The caller's last error survives a lookup that fails, as it would a call of the real function.
FARPROC Kernel32(const char* name) {
  const DWORD lastError = GetLastError();
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
  SetLastError(lastError);
  return found;
}

template <typename Fn>
Fn Find(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Kernel32(name)));
}

volatile LONG g_tickLock = 0;
ULONGLONG g_ticks = 0;
DWORD g_lastTick = 0;

// GetTickCount widened to 64 bits by counting its wraps; right as long as it is called at least
// once every 49 days, which the threads library's waits do.
ULONGLONG WINAPI TickCount64() {
  if (const auto system = Find<TickCount64Fn>("GetTickCount64")) return system();
  while (InterlockedExchange(&g_tickLock, 1) != 0) Sleep(0);
  const DWORD now = GetTickCount();
  g_ticks += static_cast<DWORD>(now - g_lastTick);
  g_lastTick = now;
  const ULONGLONG result = g_ticks;
  InterlockedExchange(&g_tickLock, 0);
  return result;
}

// Without vectored handlers the threads library only loses its thread names in a debugger.
PVOID WINAPI AddHandler(ULONG first, PVOID handler) {
  const auto system = Find<AddHandlerFn>("AddVectoredExceptionHandler");
  return system ? system(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandler(PVOID handle) {
  const auto system = Find<RemoveHandlerFn>("RemoveVectoredExceptionHandler");
  return system && handle ? system(handle) : 0;
}

}  // namespace

// The import pointers the threads library calls through, under the linker's names for them:
// decorated on 32-bit, plain on 64-bit (built there too, so the Wine tests run through them).
#ifdef _WIN64
#define ZOR_IMPORT(name, argumentBytes) "__imp_" #name
#else
#define ZOR_IMPORT(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#endif
extern "C" {
extern const TickCount64Fn zor_imp_GetTickCount64 __asm__(ZOR_IMPORT(GetTickCount64, 0));
extern const AddHandlerFn zor_imp_AddVectoredExceptionHandler __asm__(
    ZOR_IMPORT(AddVectoredExceptionHandler, 8));
extern const RemoveHandlerFn zor_imp_RemoveVectoredExceptionHandler __asm__(
    ZOR_IMPORT(RemoveVectoredExceptionHandler, 4));
const TickCount64Fn zor_imp_GetTickCount64 = &TickCount64;
const AddHandlerFn zor_imp_AddVectoredExceptionHandler = &AddHandler;
const RemoveHandlerFn zor_imp_RemoveVectoredExceptionHandler = &RemoveHandler;
}
