#include "orvane/system/Ia32Encoder.h"

#include "orvane/system/CodeWriter.h"
#include "orvane/system/TwoPassEncoding.h"

#include <cstdint>

namespace orvane::system {

namespace {
using Word = Assembler::Word;
using Command = Assembler::Command;

bool fits32(Word value) noexcept {
    return static_cast<Word>(static_cast<std::uint32_t>(value)) == value ||
           static_cast<Word>(static_cast<std::int32_t>(value)) == value;
}

std::uint32_t low32(Word value) noexcept {
    return static_cast<std::uint32_t>(value);
}
std::uint8_t reg(Word value) noexcept {
    return static_cast<std::uint8_t>(value);
}

// The operand that becomes an imm32 or disp32, or 0 for commands that have none.
Word wideOperand(const Command& command) noexcept {
    switch (command.type) {
    case Assembler::CALL_THIS:
    case Assembler::CALL_STANDARD:
    case Assembler::CALL_CDECL:
    case Assembler::ARGUMENT:
    case Assembler::SET_THIS:
    case Assembler::STORE_ABSOLUTE:
        return command.operand1;
    case Assembler::MOVE_IMMEDIATE:
    case Assembler::LOAD_ABSOLUTE:
    case Assembler::STORE_INDEXED:
        return command.operand2;
    case Assembler::LOAD_INDEXED:
        return command.operand3;
    default:
        return 0;
    }
}

class Emitter {
public:
    explicit Emitter(CodeWriter& out) noexcept
        : out(out) {}

    void call(Word function, const Word* receiver, bool callerCleans) {
        out.byte(0xB8); // mov eax, function
        out.word32(low32(function));
        if (receiver) {
            out.byte(0xB9); // mov ecx, receiver
            out.word32(low32(*receiver));
        }
        for (std::uint32_t i = pendingCount; i > 0; --i) {
            out.byte(0x68); // push imm32
            out.word32(low32(pending[i - 1]));
        }
        out.bytes(0xFF, 0xD0); // call eax
        if (callerCleans && pendingCount > 0) {
            out.bytes(0x83, 0xC4); // add esp, imm8
            out.byte(static_cast<std::uint8_t>(4 * pendingCount));
        }
        pendingCount = 0;
    }

    void finish() noexcept {}

    void command(const Command& c) {
        switch (c.type) {
        case Assembler::CALL_THIS:
            call(c.operand1, &receiver, false);
            break;
        case Assembler::CALL_STANDARD:
            call(c.operand1, nullptr, false);
            break;
        case Assembler::CALL_CDECL:
            call(c.operand1, nullptr, true);
            break;
        case Assembler::RETURN:
            out.byte(0xC3);
            break;
        case Assembler::ARGUMENT:
            pending[pendingCount++] = c.operand1;
            break;
        case Assembler::SET_THIS:
            receiver = c.operand1;
            break;
        case Assembler::PUSH:
            out.byte(0x50 + reg(c.operand1));
            break;
        case Assembler::POP:
            out.byte(0x58 + reg(c.operand1));
            break;
        case Assembler::MOVE_REGISTER:
            out.bytes(0x89, 0xC0 | reg(c.operand2) << 3 | reg(c.operand1));
            break;
        case Assembler::MOVE_IMMEDIATE:
            out.byte(0xB8 + reg(c.operand1));
            out.word32(low32(c.operand2));
            break;
        case Assembler::LOAD_ABSOLUTE:
            out.bytes(0x8B, reg(c.operand1) << 3 | 5);
            out.word32(low32(c.operand2));
            break;
        case Assembler::LOAD_INDIRECT:
            out.bytes(0x8B, reg(c.operand1) << 3 | reg(c.operand2));
            break;
        case Assembler::LOAD_INDEXED:
            out.bytes(0x8B, 0x80 | reg(c.operand1) << 3 | reg(c.operand2));
            out.word32(low32(c.operand3));
            break;
        case Assembler::STORE_ABSOLUTE:
            out.bytes(0x89, reg(c.operand2) << 3 | 5);
            out.word32(low32(c.operand1));
            break;
        case Assembler::STORE_INDIRECT:
            out.bytes(0x89, reg(c.operand2) << 3 | reg(c.operand1));
            break;
        case Assembler::STORE_INDEXED:
            out.bytes(0x89, 0x80 | reg(c.operand3) << 3 | reg(c.operand1));
            out.word32(low32(c.operand2));
            break;
        default: // labels are recorded by the caller; unknown codes emit nothing
            break;
        }
    }

private:
    CodeWriter& out;
    Word pending[Assembler::maximumArguments] = {};
    std::uint32_t pendingCount = 0;
    Word receiver = 0;
};
} // namespace

bool Ia32Encoder::operandsFit(const container::Array<Command>& commands) noexcept {
    for (const Command& command : commands)
        if (!fits32(wideOperand(command)))
            return false;
    return true;
}

object::Pointer<Program> Ia32Encoder::assemble(const Assembler& assembler) {
    if (assembler.findFault() || !operandsFit(assembler.getCommands()))
        return nullptr;
    return encodeInTwoPasses<Emitter>(assembler, Program::Machine::IA32);
}

} // namespace orvane::system
