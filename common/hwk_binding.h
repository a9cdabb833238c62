// The binding of hwk.dll: loads the library by full path, resolves the entry points each program
// calls in that program's order, and offers them as the Hwk port. Entry points are held as resolved
// objects; one that the program does not bind is never called (its Hwk call does nothing).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/hwk_entry_points.h"
#include "platform/dynamic_library.h"
#include "platform/hwk.h"

namespace zor {

constexpr char kHwkLibraryName[] = "hwk.dll";
// Exported only by the simulated board's hwk.dll; a maker's library has no such entry.
constexpr char kSimulatedBoardEntry[] = "ZorSimulatedBoard";

// What each program tells the user when the library cannot be used.
constexpr char kServiceHwkFailureTrace[] = "Load hwk.dll failure!!\n";
constexpr char kGuiHwkFailureText[] = "loading library (hwk.dll) failure!!";
constexpr char kGuiHwkFailureCaption[] = "ERROR";
constexpr int kGuiHwkFailureExitCode = 1;

// Which program binds: each binds its own set of entry points in its own order.
enum class HwkClient { Service, Gui };

enum class HwkBindStatus {
  Ok,
  NotLoaded,     // no usable library in the program's or the system directory
  MissingEntry,  // the library lacks an entry point the program calls: as unusable as no library
};

// The entry-point names a program binds (those it calls), in its binding order.
const std::vector<const char*>& HwkEntryOrder(HwkClient client);

// A resolved entry point: calls go only through a non-null address.
template <typename Fn>
class HwkEntry {
 public:
  bool Resolve(const DynamicLibrary& library, const char* name) {
    m_fn = reinterpret_cast<Fn>(library.Find(name));
    return m_fn != nullptr;
  }
  explicit operator bool() const { return m_fn != nullptr; }
  Fn get() const { return m_fn; }

 private:
  Fn m_fn = nullptr;
};

class HwkBinding : public Hwk {
 public:
  // Resolves the client's entry points in its order. nullptr when one is missing; `missing` then
  // names it.
  static std::unique_ptr<HwkBinding> Bind(std::unique_ptr<DynamicLibrary> library, HwkClient client,
                                          std::string* missing = nullptr);

  uint8_t qv_inp(uint32_t port) override;
  void qv_outp(uint32_t port, uint32_t value) override;
  uint32_t qv_inpd(uint32_t port) override;
  void qv_outpd(uint32_t port, uint32_t value) override;
  bool ReadMSR(uint32_t index, uint64_t* value) override;
  uint64_t MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) override;
  void UnMapMemEx(uint32_t low, uint32_t high) override;
  void SMICmd(SmiRegisters& regs) override;
  bool HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) override;
  void HWK_Free_Kernel_PhysMem(uint64_t reference) override;
  bool HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) override;
  void HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference,
                                       uint32_t length) override;
  // Looked up on demand, never required: a maker's library lacks it and is bound all the same.
  bool IsSimulated() const override;

 private:
  explicit HwkBinding(std::unique_ptr<DynamicLibrary> library) : m_library(std::move(library)) {}
  bool Resolve(const char* name);

  std::unique_ptr<DynamicLibrary> m_library;
  HwkEntry<PFN_qv_inp> m_qvInp;
  HwkEntry<PFN_qv_outp> m_qvOutp;
  HwkEntry<PFN_qv_inpd> m_qvInpd;
  HwkEntry<PFN_qv_outpd> m_qvOutpd;
  HwkEntry<PFN_ReadMSR> m_readMsr;
  HwkEntry<PFN_SMICmd> m_smiCmd;
  HwkEntry<PFN_HWK_Alloc_Kernel_PhysMem> m_alloc;
  HwkEntry<PFN_HWK_Free_Kernel_PhysMem> m_free;
  HwkEntry<PFN_HWK_TranslateLinsToPhys> m_translate;
  HwkEntry<PFN_HWK_MapMem_Copy_Userbuf_To_Phys> m_copy;
  HwkEntry<PFN_MapMemEx> m_mapMemEx;
  HwkEntry<PFN_UnMapMemEx> m_unMapMemEx;
};

struct HwkLoadResult {
  HwkBindStatus status = HwkBindStatus::NotLoaded;
  std::unique_ptr<HwkBinding> hwk;  // set when status is Ok; keep it for the process's life
  std::string path;                 // the library that was loaded
  std::string missingEntry;         // with MissingEntry
};

// Loads hwk.dll from programDir, then from systemDir, each by full path; never from the current
// directory or the search path, since the service runs privileged.
HwkLoadResult LoadHwk(HwkClient client, const std::string& programDir,
                      const std::string& systemDir, const LibraryLoader& loader);

// The same from this program's directory and the system directory.
HwkLoadResult LoadHwk(HwkClient client);

}  // namespace zor
