#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

namespace orvane::system {

// Turns a command list into 32-bit x86 machine code, the exact bytes of the command table:
// calls as `mov eax, function` (with the receiver in ecx for CALL_THIS), the pending
// arguments pushed last-added first, `call eax`, and `add esp, 4n` after a C call with
// arguments; registers, loads and stores with their 32-bit encodings. Unknown command
// codes emit nothing.
//
// The code runs only in a 32-bit x86 build; elsewhere the program is for inspection.
class Ia32Encoder {
public:
    // Null when the list has a fault (Assembler::findFault) or an operand that does not
    // fit in 32 bits, as a 64-bit address may not.
    static object::Pointer<Program> assemble(const Assembler& assembler);

private:
    static bool operandsFit(const container::Array<Assembler::Command>& commands) noexcept;
};

} // namespace orvane::system
