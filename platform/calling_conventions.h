// Calling conventions of the binary interfaces with the host and the engine.
//
// On the 32-bit Windows target the host calls exports with cdecl, objects
// with thiscall, and HTML Help with stdcall; on the native target there is
// one convention and these expand to nothing.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define AVEX_THISCALL __attribute__((thiscall))
#define AVEX_STDCALL __attribute__((stdcall))
#else
#define AVEX_THISCALL
#define AVEX_STDCALL
#endif

#if defined(_WIN32)
#define AVEX_EXPORT  // exported by name through the module definition file
#else
#define AVEX_EXPORT __attribute__((visibility("default")))
#endif
