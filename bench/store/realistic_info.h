// An INFO.DAT as it looks after the programs have run for a while: every section and key both
// programs use, written by the Windows profile functions.
#pragma once

namespace zor {

inline constexpr char kRealisticInfo[] =
    "[Main]\r\n"
    "Build=B10.1022.1\r\n"
    "[TIME]\r\n"
    "YEAR=2009\r\n"
    "MONTH=10\r\n"
    "DAY=22\r\n"
    "HOUR=14\r\n"
    "MIN=5\r\n"
    "SEC=31\r\n"
    "[SETTING]\r\n"
    "Adv=1\r\n"
    "NB=1\r\n"
    "SB=0\r\n"
    "MEM=1\r\n"
    "VTT=0\r\n"
    "PCH=1\r\n"
    "LPS=0\r\n"
    "THRO=1\r\n"
    "VGA=0\r\n"
    "SF=1\r\n"
    "FSB=12\r\n"
    "HDD=10 Mins\r\n"
    "MONI=1 Hour\r\n"
    "CURVOLT=3\r\n"
    "[INFO]\r\n"
    "PV=1\r\n"
    "POWERVALUE=4\r\n"
    "DISK=20\r\n"
    "MONITOR=10\r\n"
    "[VALUE]\r\n"
    "VOUT=1.187500\r\n"
    "Cmd=0\r\n"
    "CPU_MAX=61.253906\r\n"
    "Current=1834.412109\r\n"
    "Total=48213.997070\r\n"
    "SaveTime=86399.900000\r\n"
    "Usage=37\r\n"
    "Phase=4\r\n";

}  // namespace zor
