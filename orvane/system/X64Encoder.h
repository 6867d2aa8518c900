#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

namespace orvane::system {

// Turns a command list into x86-64 machine code for the System V calling convention.
//
// Registers map EAX->rax, ECX->rcx, EDX->rdx, EBX->rbx, ESP->rsp, EBP->rbp, ESI->r12,
// EDI->r13, so the four registers a program must preserve are callee-saved here too.
// Moves, loads, stores and immediates are 64-bit. A call loads the receiver (CALL_THIS)
// and then the pending arguments into rdi, rsi, rdx, rcx, r8, r9 in parameter order, then
// `mov rax, function; call rax`; callees clean nothing up on this machine, so the three
// call commands differ only in the receiver. r11 is the encoder's scratch register for
// absolute addresses and displacements beyond 32 bits.
//
// rsp is 16-byte aligned at every call: the encoder counts the pushes and pops since the
// entry (or the last return); when their number is even it moves rsp down 8 bytes before a
// call and leaves it there for the calls that follow, until a command that sees the stack
// (push, pop, return, label, any use of ESP) or the end of the code. Once a command
// writes ESP the count means nothing, and later calls align rsp at run time instead.
class X64Encoder {
public:
    // Null when the list has a fault (Assembler::findFault).
    static object::Pointer<Program> assemble(const Assembler& assembler);
};

} // namespace orvane::system
