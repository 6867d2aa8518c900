#pragma once

// Calling conventions of the functions that generated code calls.
//
// On 32-bit x86 the three call commands differ: a call with a receiver passes it in ecx
// and the callee removes its arguments (ORVANE_THISCALL), a standard call has the callee
// remove them (ORVANE_STDCALL), a C call leaves that to the caller. Functions meant to be
// called from programs must be declared with the matching convention. On x86-64 there is
// only one convention and both markers are empty.
#if defined(__i386__)
#define ORVANE_THISCALL __attribute__((thiscall))
#define ORVANE_STDCALL __attribute__((stdcall))
#else
#define ORVANE_THISCALL
#define ORVANE_STDCALL
#endif
