// The C entry points zor2 expects in the graphics-clock library (Clockvane.dll) and the fan library
// (SF.DLL); like hwk.dll's, they use ZOR_DLL_CALL and are exported under their plain names.
#pragma once

#include <cstdint>

#include "platform/dll_entry.h"

extern "C" {

typedef int(ZOR_DLL_CALL* PFN_ClockvaneInit)(void);        // non-zero: the card can be controlled
typedef int(ZOR_DLL_CALL* PFN_SetCoreCLK)(int reduction);  // 10 lowers the core clock, 0 is normal
typedef int(ZOR_DLL_CALL* PFN_Check_CPU_SmartFan)(uint32_t* info);  // non-zero: the fan is usable
typedef int(ZOR_DLL_CALL* PFN_CPU_PWM_Read)(int point, uint16_t* pwm);
typedef int(ZOR_DLL_CALL* PFN_CPU_PWM_Write)(int point, int pwm);
typedef int(ZOR_DLL_CALL* PFN_CPU_TEMP_Write)(int point, int temperature);

}  // extern "C"
