#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Object.h"
#include "orvane/system/CodeMemory.h"
#include "orvane/types/String.h"

#include <cstdint>

namespace orvane::system {

// What an Assembler made of a command list: code that runs as a function without
// arguments, and the labels of the list with their addresses.
//
// Machine-code programs live in memory of their own that is writable only while they
// are filled and executable afterwards; it is unmapped when the program dies. Past the
// last byte of code there is always a return instruction, so a program that runs off
// its end (an empty one, say) returns as an interpreted one does.
//
// Immutable once made; any number of threads may run it at once. Whoever runs it keeps
// a reference for as long as it runs.
class Program : public object::Object {
public:
    // What the code is made for.
    enum class Machine {
        IA32,       // 32-bit x86 machine code, the exact bytes of the command table
        X86_64,     // x86-64 machine code for the System V calling convention
        INTERPRETER // the commands themselves, replayed by the interpreter
    };

    // The backend whose programs run on this processor without an interpreter.
    static constexpr Machine hostMachine =
#if defined(__x86_64__)
        Machine::X86_64;
#elif defined(__i386__)
        Machine::IA32;
#else
        Machine::INTERPRETER;
#endif

    static constexpr std::uint32_t labelNameSize = 64;

    // A named position in the code. The name is NUL-padded; a name of 64 characters
    // fills it without a terminator. The address is absolute.
    struct Label {
        char name[labelNameSize];
        std::uintptr_t address;
    };

    // Machine code entered with the platform's calling sequence; answers EAX (RAX).
    using Function = std::uintptr_t (*)();

    // A place to start the program. Calling it runs the code from there until it
    // returns, and answers the value of EAX at that point.
    class Entry {
    public:
        std::uintptr_t operator()() const;
        std::uintptr_t getAddress() const noexcept { return address; }
        // The address as a function pointer when it is machine code for this processor,
        // otherwise null.
        Function function() const noexcept;

    private:
        friend class Program;
        Entry(const Program* program, std::uintptr_t address) noexcept
            : program(program)
            , address(address) {}

        const Program* program;
        std::uintptr_t address;
    };

    ~Program() override;

    Machine getMachine() const noexcept {
        return machine;
    }

    // The code: machine code, or for interpreted programs the records the interpreter
    // replays. getCodeSize() bytes from getCode(); never null.
    const unsigned char* getCode() const noexcept {
        return codeStart;
    }
    std::uint32_t getCodeSize() const noexcept {
        return codeSize;
    }
    const container::Array<Label>& getLabels() const noexcept {
        return labels;
    }

    // The entry at the start of the code.
    Entry code() const noexcept {
        return Entry(this, reinterpret_cast<std::uintptr_t>(codeStart));
    }
    // The entry at an address inside the code or just past it, as findLabel answers it.
    // Throws ProgramException for any other address.
    Entry entryAt(std::uintptr_t address) const;

    // The address of the first label whose name equals name in its first 64 characters;
    // 0 when there is none.
    std::uintptr_t findLabel(const char* name) const noexcept;
    std::uintptr_t findLabel(const types::String& name) const noexcept {
        return findLabel(name.cString());
    }

    types::String getClassName() const override;

    // For the encoders: a program over machine code in sealed memory. The labels carry
    // offsets into the code and are made absolute here.
    Program(Machine machine, CodeMemory memory, container::Array<Label> labels);
    // A label of the given name (its first 64 characters) at an offset.
    static Label makeLabel(const types::String& name, std::uint32_t offset) noexcept;

protected:
    // A program whose code the subclass owns (codeSize bytes at code, granule bytes per
    // step), with labels as above.
    Program(const unsigned char* code, std::uint32_t codeSize, std::uint32_t granule,
            container::Array<Label> labels);

    // Runs code that is not machine code for this processor. Here it refuses.
    virtual std::uintptr_t interpret(std::uintptr_t address) const;

private:
    void makeLabelsAbsolute() noexcept;

    Machine machine;
    CodeMemory memory;
    const unsigned char* codeStart;
    std::uint32_t codeSize;
    std::uint32_t granule; // entries lie at multiples of this many bytes from the start
    container::Array<Label> labels;
};

} // namespace orvane::system
