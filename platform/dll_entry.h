// The one calling convention of every entry point the programs bind from a maker's DLL (hwk.dll,
// Clockvane.dll, SF.DLL) and that the simulated stand-ins export: __stdcall on 32-bit Windows, as
// the maker's hwk.dll has it, exported under the plain undecorated name (no _name@N; the stand-ins
// link with --kill-at). 64-bit Windows and other systems have a single convention.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define ZOR_DLL_CALL __stdcall
#else
#define ZOR_DLL_CALL
#endif
