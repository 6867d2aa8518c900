#pragma once

#include "orvane/object/Pointer.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

#include <cstdint>

namespace orvane::system {

// Runs command lists without machine code: on processors the encoders do not know, and
// as the oracle that native programs must match call for call.
//
// Assembling resolves what the emitter resolves at assembly time (the receiver and the
// pending arguments of each call) and drops the commands that emit nothing, leaving one
// step per instruction; a program's labels are the addresses of its steps. Running
// replays the steps on an array of registers and a private stack of its own, and calls
// the functions through pointers with integer arguments, with the calling convention of
// the call command. Loads and stores are machine words at the addresses given, as native
// code makes them.
class Interpreter {
public:
    using Word = Assembler::Word;

    // Marks the end of the steps: running there returns, as falling off the end of
    // machine code does.
    static constexpr std::int32_t END = -1;
    // Stack room of a run, in words.
    static constexpr std::uint32_t stackWords = 1024;

    struct Step {
        std::int32_t code = END; // an Assembler::Code, or END
        std::uint32_t argumentCount = 0;
        Word operand1 = 0;
        Word operand2 = 0;
        Word operand3 = 0;
        // Calls only: the receiver first for CALL_THIS, then the arguments in parameter order.
        Word arguments[Assembler::maximumArguments + 1] = {};
    };

    // Null when the list has a fault (Assembler::findFault).
    static object::Pointer<Program> assemble(const Assembler& assembler);

    // Runs from a step until a return or the end; answers EAX. Throws ProgramException
    // when a push or pop leaves the run's stack.
    static Word run(const Step* start);
};

} // namespace orvane::system
