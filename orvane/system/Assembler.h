#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Object.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Program.h"
#include "orvane/types/String.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace orvane::system {

// Collects a list of machine-independent commands (calls of functions with constant
// arguments, register moves, loads and stores) and turns it into a Program that runs as
// a function without arguments.
//
// Registers carry 32-bit x86 numbers (EAX..EDI); what they become depends on the backend
// (see Program::Machine). Programs keep to the usual contract of a C function: they save
// and restore EBX, ESI, EDI and EBP if they change them, and after a call only EAX (the
// callee's result) and those four registers hold known values.
//
// Every adding operation checks its command in debug builds (register numbers 0..7, no
// ESP or EBP as the register of an indirect access, no ESP as an indexed base, at most
// five arguments pending at a time, a receiver set before a call with receiver);
// assemble() checks the whole list in every build and refuses a faulty one.
//
// Not thread-safe: one thread fills and assembles an assembler. The programs it makes
// are immutable and may run on any thread.
class Assembler : public object::Object {
public:
    // Operands are machine words: they hold addresses as well as integers.
    using Word = std::uintptr_t;

    enum Code : std::int32_t {
        CALL_THIS = 0,       // call operand1 with the receiver; the callee cleans up
        CALL_STANDARD = 1,   // call operand1; the callee cleans up
        CALL_CDECL = 2,      // call operand1; the caller cleans up
        RETURN = 3,          //
        ARGUMENT = 4,        // operand1 becomes the next argument of the next call
        SET_THIS = 5,        // operand1 becomes the receiver of later CALL_THIS commands
        PUSH = 6,            // operand1 = register
        POP = 7,             // operand1 = register
        MOVE_REGISTER = 8,   // operand1 = destination, operand2 = source
        MOVE_IMMEDIATE = 9,  // operand1 = register, operand2 = value
        LOAD_ABSOLUTE = 10,  // operand1 = register, operand2 = address
        LOAD_INDIRECT = 11,  // operand1 = destination, operand2 = address register
        LOAD_INDEXED = 12,   // operand1 = destination, operand2 = base, operand3 = displacement
        STORE_ABSOLUTE = 13, // operand1 = address, operand2 = source
        STORE_INDIRECT = 14, // operand1 = address register, operand2 = source
        STORE_INDEXED = 15,  // operand1 = base, operand2 = displacement, operand3 = source
        LABEL = 16,          // operand1 = index into the label names
    };

    enum Register : int { EAX = 0, ECX, EDX, EBX, ESP, EBP, ESI, EDI };

    static constexpr int registerCount = 8;
    static constexpr std::uint32_t maximumArguments = 5;

    // One command; operands a command does not use are zero.
    struct Command {
        std::int32_t type = 0;
        Word operand1 = 0;
        Word operand2 = 0;
        Word operand3 = 0;
    };

    // A value for an operand: any integer (negative ones sign-extended to a word), enum,
    // object address or function address.
    class Operand {
    public:
        template <std::integral T>
        constexpr Operand(T value) noexcept
            : word(static_cast<Word>(value)) {}
        template <class E>
        requires std::is_enum_v<E>
        constexpr Operand(E value) noexcept
            : word(static_cast<Word>(value)) {}
        constexpr Operand(std::nullptr_t) noexcept
            : word(0) {}
        Operand(const volatile void* address) noexcept
            : word(reinterpret_cast<Word>(address)) {}
        template <class F>
        requires std::is_function_v<F> Operand(F* function)
        noexcept
            : word(reinterpret_cast<Word>(function)) {}

        constexpr Word value() const noexcept { return word; }

    private:
        Word word;
    };

    // What is wrong with a command list, and at which command.
    struct Fault {
        enum Kind {
            NONE,
            BAD_REGISTER,         // a register number outside 0..7
            BAD_ADDRESS_REGISTER, // ESP or EBP as the address of an indirect load or store
            BAD_BASE_REGISTER,    // ESP as the base of an indexed load or store
            TOO_MANY_ARGUMENTS,   // a sixth argument pending
            NO_RECEIVER,          // a call with receiver before any receiver was set
            BAD_LABEL,            // a label command naming no entry of the label names
        };
        Kind kind = NONE;
        std::uint32_t command = 0; // index of the offending command

        explicit operator bool() const noexcept { return kind != NONE; }
    };

    Assembler() = default;

    // Adding operations: each appends one command (see Code).
    void callThis(Operand function);
    void callStandard(Operand function);
    void callCdecl(Operand function);
    void ret();
    void argument(Operand value);
    void setThis(Operand object);
    void push(int reg);
    void pop(int reg);
    void moveRegister(int destination, int source);
    void moveImmediate(int reg, Operand value);
    void loadAbsolute(int reg, Operand address);
    void loadIndirect(int destination, int addressRegister);
    void loadIndexed(int destination, int base, Operand displacement);
    void storeAbsolute(Operand address, int source);
    void storeIndirect(int addressRegister, int source);
    void storeIndexed(int base, Operand displacement, int source);
    // Marks the current position; the program answers its address by name (findLabel).
    void label(const types::String& name);

    // Convenience sequences: the arguments in parameter order, then the call.
    void callStandard1(Operand function, Operand a);
    void callStandard2(Operand function, Operand a, Operand b);
    void callStandard3(Operand function, Operand a, Operand b, Operand c);
    void callStandard4(Operand function, Operand a, Operand b, Operand c, Operand d);
    void callCdecl1(Operand function, Operand a);
    void callCdecl3(Operand function, Operand a, Operand b, Operand c);
    void callThisOn(Operand function, Operand object);
    void callThisOn1(Operand function, Operand object, Operand a);

    // Appends a command as it is (one copied from another list, say). Unlike the adding
    // operations it asserts nothing; assemble() still refuses a faulty list.
    void add(const Command& command);

    // Empties the command list and the label names.
    void clear();

    // A new program from the commands as they stand, for this host's processor: native
    // x86-64 code here, IA-32 code in a 32-bit x86 build, the interpreter elsewhere. Null
    // when the list has a fault. The assembler keeps its commands.
    object::Pointer<Program> assemble() const;
    // The same for the given backend (machine code for another processor is made for
    // inspection only; running it throws).
    object::Pointer<Program> assemble(Program::Machine machine) const;

    // The first fault of the command list, if any.
    Fault findFault() const;

    const container::Array<Command>& getCommands() const noexcept { return commands; }
    const container::Array<types::String>& getLabelNames() const noexcept { return labelNames; }

    types::String getClassName() const override;

private:
    // The emitter state a command is checked against: what is pending when it comes.
    struct CheckState {
        std::uint32_t pendingArguments = 0;
        bool receiverSet = false;
    };
    static Fault::Kind checkCommand(const Command& command, std::uint32_t labelCount,
                                    CheckState& state);

    void append(std::int32_t type, Word operand1 = 0, Word operand2 = 0, Word operand3 = 0);
    void appendChecked(std::int32_t type, Word operand1 = 0, Word operand2 = 0, Word operand3 = 0);

    container::Array<Command> commands;
    container::Array<types::String> labelNames;
    CheckState state; // of the list as it stands, for the debug checks of appendChecked
};

} // namespace orvane::system
