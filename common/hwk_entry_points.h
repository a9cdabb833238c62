// The C entry points of hwk.dll: how the library exports them and how the programs bind them. All
// use ZOR_DLL_CALL and are exported under their plain, undecorated names; arguments are 32-bit.
#pragma once

#include <cstdint>

#include "platform/dll_entry.h"

extern "C" {

typedef uint32_t(ZOR_DLL_CALL* PFN_qv_inp)(uint32_t port);  // byte in the low 8 bits
typedef void(ZOR_DLL_CALL* PFN_qv_outp)(uint32_t port, uint32_t value);
typedef uint32_t(ZOR_DLL_CALL* PFN_qv_inpd)(uint32_t port);
typedef void(ZOR_DLL_CALL* PFN_qv_outpd)(uint32_t port, uint32_t value);
typedef int32_t(ZOR_DLL_CALL* PFN_ReadMSR)(uint32_t index, uint64_t* value);  // non-zero on success
typedef uint32_t(ZOR_DLL_CALL* PFN_MapMem)(uint32_t physical, uint32_t length);
typedef void(ZOR_DLL_CALL* PFN_UnMapMem)(uint32_t linear, uint32_t length);
typedef uint64_t(ZOR_DLL_CALL* PFN_MapMemEx)(uint32_t physLow, uint32_t physHigh, uint32_t length);
typedef void(ZOR_DLL_CALL* PFN_UnMapMemEx)(uint32_t low, uint32_t high);
typedef void(ZOR_DLL_CALL* PFN_SMICmd)(uint32_t* eax, uint32_t* ebx, uint32_t* ecx, uint32_t* edx,
                                       uint32_t* esi, uint32_t* edi, uint32_t* extra);
typedef void(ZOR_DLL_CALL* PFN_SMICall)(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx);
typedef uint32_t(ZOR_DLL_CALL* PFN_MapMem_Phys_To_Linear)(uint32_t physical, uint32_t length);
// record: 16 bytes; bytes 8-15 receive the buffer reference (low, high). Returns 1 on success.
typedef int32_t(ZOR_DLL_CALL* PFN_HWK_Alloc_Kernel_PhysMem)(uint32_t length, uint8_t* record);
typedef void(ZOR_DLL_CALL* PFN_HWK_Free_Kernel_PhysMem)(uint32_t refLow, uint32_t refHigh);
typedef int32_t(ZOR_DLL_CALL* PFN_HWK_TranslateLinsToPhys)(uint32_t refLow, uint32_t refHigh,
                                                           uint32_t* physical);
// source: the buffer's address split into low and high halves (high sign-extended on 32-bit).
typedef void(ZOR_DLL_CALL* PFN_HWK_MapMem_Copy_Userbuf_To_Phys)(uint32_t srcLow, uint32_t srcHigh,
                                                                uint32_t refLow, uint32_t refHigh,
                                                                uint32_t length);

}  // extern "C"
