// The C entry points zor2 expects in the graphics-clock library (Clockvane.dll) and the fan library
// (SF.DLL); exported under their plain names with the C calling convention.
#pragma once

#include <cstdint>

extern "C" {

typedef int (*PFN_ClockvaneInit)(void);               // non-zero: the card can be controlled
typedef int (*PFN_SetCoreCLK)(int reduction);         // 10 lowers the core clock, 0 is normal
typedef int (*PFN_Check_CPU_SmartFan)(uint32_t* info);  // non-zero: the fan controller is usable
typedef int (*PFN_CPU_PWM_Read)(int point, uint16_t* pwm);
typedef int (*PFN_CPU_PWM_Write)(int point, int pwm);
typedef int (*PFN_CPU_TEMP_Write)(int point, int temperature);

}  // extern "C"
