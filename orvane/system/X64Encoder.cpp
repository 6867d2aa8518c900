#include "orvane/system/X64Encoder.h"

#include "orvane/system/CodeWriter.h"
#include "orvane/system/TwoPassEncoding.h"

#include <cstdint>

namespace orvane::system {

namespace {
using Word = Assembler::Word;
using Command = Assembler::Command;

enum Hardware : std::uint8_t {
    RAX = 0,
    RCX = 1,
    RDX = 2,
    RBX = 3,
    RSP = 4,
    RBP = 5,
    RSI = 6,
    RDI = 7,
    R8 = 8,
    R9 = 9,
    R11 = 11,
    R12 = 12,
    R13 = 13,
    NO_INDEX = 0xFF,
};

// The x86-64 register that stands for each 32-bit register number.
constexpr std::uint8_t mapped[Assembler::registerCount] = {RAX, RCX, RDX, RBX, RSP, RBP, R12, R13};
// Integer parameters in order, System V.
constexpr std::uint8_t parameterRegisters[Assembler::maximumArguments + 1] = {RDI, RSI, RDX,
                                                                              RCX, R8,  R9};

std::uint8_t hardware(Word reg) noexcept {
    return mapped[reg];
}
std::uint8_t low3(std::uint8_t reg) noexcept {
    return reg & 7;
}
std::uint8_t high1(std::uint8_t reg) noexcept {
    return (reg >> 3) & 1;
}

bool writesStackPointer(const Command& c) noexcept {
    switch (c.type) {
    case Assembler::POP:
    case Assembler::MOVE_REGISTER:
    case Assembler::MOVE_IMMEDIATE:
    case Assembler::LOAD_ABSOLUTE:
    case Assembler::LOAD_INDIRECT:
    case Assembler::LOAD_INDEXED:
        return c.operand1 == Assembler::ESP;
    default:
        return false;
    }
}

// Commands that see where rsp is, or after which the code may be entered afresh: a pad
// the encoder left below the stack must go before them.
bool needsTrueStack(const Command& c) noexcept {
    switch (c.type) {
    case Assembler::PUSH:
    case Assembler::POP:
    case Assembler::RETURN:
    case Assembler::LABEL:
        return true;
    case Assembler::MOVE_REGISTER:
        return c.operand1 == Assembler::ESP || c.operand2 == Assembler::ESP;
    case Assembler::MOVE_IMMEDIATE:
    case Assembler::LOAD_ABSOLUTE:
    case Assembler::LOAD_INDIRECT:
    case Assembler::LOAD_INDEXED:
        return c.operand1 == Assembler::ESP;
    case Assembler::STORE_ABSOLUTE:
    case Assembler::STORE_INDIRECT:
        return c.operand2 == Assembler::ESP;
    case Assembler::STORE_INDEXED:
        return c.operand3 == Assembler::ESP;
    default:
        return false;
    }
}

class Emitter {
public:
    explicit Emitter(CodeWriter& out) noexcept
        : out(out) {}

    void command(const Command& c) {
        if (padded && needsTrueStack(c))
            unpad();
        switch (c.type) {
        case Assembler::CALL_THIS:
            call(c.operand1, &receiver);
            break;
        case Assembler::CALL_STANDARD:
        case Assembler::CALL_CDECL:
            call(c.operand1, nullptr);
            break;
        case Assembler::RETURN:
            out.byte(0xC3);
            depth = 0; // what follows is entered afresh, through a label
            stackKnown = true;
            return;
        case Assembler::ARGUMENT:
            pending[pendingCount++] = c.operand1;
            break;
        case Assembler::SET_THIS:
            receiver = c.operand1;
            break;
        case Assembler::PUSH:
            pushOrPop(0x50, hardware(c.operand1));
            ++depth;
            break;
        case Assembler::POP:
            pushOrPop(0x58, hardware(c.operand1));
            --depth;
            break;
        case Assembler::MOVE_REGISTER:
            moveRegister(hardware(c.operand1), hardware(c.operand2));
            break;
        case Assembler::MOVE_IMMEDIATE:
            moveImmediate(hardware(c.operand1), c.operand2);
            break;
        case Assembler::LOAD_ABSOLUTE:
            absolute(0x8B, hardware(c.operand1), c.operand2);
            break;
        case Assembler::LOAD_INDIRECT:
            memory(0x8B, hardware(c.operand1), hardware(c.operand2), NO_INDEX, 0);
            break;
        case Assembler::LOAD_INDEXED:
            indexed(0x8B, hardware(c.operand1), hardware(c.operand2), c.operand3);
            break;
        case Assembler::STORE_ABSOLUTE:
            absolute(0x89, hardware(c.operand2), c.operand1);
            break;
        case Assembler::STORE_INDIRECT:
            memory(0x89, hardware(c.operand2), hardware(c.operand1), NO_INDEX, 0);
            break;
        case Assembler::STORE_INDEXED:
            indexed(0x89, hardware(c.operand3), hardware(c.operand1), c.operand2);
            break;
        default: // labels are recorded by the caller; unknown codes emit nothing
            break;
        }
        if (writesStackPointer(c))
            stackKnown = false;
    }

    // Code that runs off the end returns through the guard past it.
    void finish() {
        if (padded)
            unpad();
    }

private:
    void rex(bool wide, std::uint8_t reg, std::uint8_t index, std::uint8_t base) {
        const std::uint8_t indexBit = index == NO_INDEX ? 0 : high1(index);
        const std::uint8_t prefix =
            0x40 | wide << 3 | high1(reg) << 2 | indexBit << 1 | high1(base);
        if (prefix != 0x40)
            out.byte(prefix);
    }

    void pushOrPop(std::uint8_t opcode, std::uint8_t reg) {
        rex(false, 0, NO_INDEX, reg);
        out.byte(opcode + low3(reg));
    }

    void moveRegister(std::uint8_t destination, std::uint8_t source) {
        rex(true, source, NO_INDEX, destination);
        out.bytes(0x89, 0xC0 | low3(source) << 3 | low3(destination));
    }

    // The shortest move that leaves the 64-bit value in reg.
    void moveImmediate(std::uint8_t reg, Word word) {
        const auto value = static_cast<std::uint64_t>(word);
        const auto signedValue = static_cast<std::int64_t>(static_cast<std::intptr_t>(word));
        if (value <= 0xFFFFFFFFu) { // mov r32, imm32 clears the upper half
            rex(false, 0, NO_INDEX, reg);
            out.byte(0xB8 + low3(reg));
            out.word32(static_cast<std::uint32_t>(value));
        } else if (signedValue >= INT32_MIN && signedValue < 0) { // sign-extended imm32
            rex(true, 0, NO_INDEX, reg);
            out.bytes(0xC7, 0xC0 | low3(reg));
            out.word32(static_cast<std::uint32_t>(value));
        } else {
            rex(true, 0, NO_INDEX, reg);
            out.byte(0xB8 + low3(reg));
            out.word64(value);
        }
    }

    // opcode reg, [base + index + displacement]. r12 (like rsp) as base needs a SIB byte;
    // r13 (like rbp) as base cannot go without a displacement.
    void memory(std::uint8_t opcode, std::uint8_t reg, std::uint8_t base, std::uint8_t index,
                std::int32_t displacement) {
        rex(true, reg, index, base);
        out.byte(opcode);
        std::uint8_t mod = 2;
        if (displacement == 0 && low3(base) != RBP)
            mod = 0;
        else if (displacement >= -128 && displacement <= 127)
            mod = 1;
        const bool sib = index != NO_INDEX || low3(base) == RSP;
        out.byte(mod << 6 | low3(reg) << 3 | (sib ? std::uint8_t(RSP) : low3(base)));
        if (sib) // index 100 without REX.X means no index
            out.byte(low3(index == NO_INDEX ? std::uint8_t(RSP) : index) << 3 | low3(base));
        if (mod == 1)
            out.byte(static_cast<std::uint8_t>(displacement));
        else if (mod == 2)
            out.word32(static_cast<std::uint32_t>(displacement));
    }

    void indexed(std::uint8_t opcode, std::uint8_t reg, std::uint8_t base, Word displacement) {
        const auto value = static_cast<std::int64_t>(static_cast<std::intptr_t>(displacement));
        if (value >= INT32_MIN && value <= INT32_MAX) {
            memory(opcode, reg, base, NO_INDEX, static_cast<std::int32_t>(value));
        } else {
            moveImmediate(R11, displacement);
            memory(opcode, reg, base, R11, 0);
        }
    }

    void absolute(std::uint8_t opcode, std::uint8_t reg, Word address) {
        moveImmediate(R11, address);
        memory(opcode, reg, R11, NO_INDEX, 0);
    }

    void call(Word function, const Word* withReceiver) {
        std::uint32_t next = 0;
        if (withReceiver)
            moveImmediate(parameterRegisters[next++], *withReceiver);
        for (std::uint32_t i = 0; i < pendingCount; ++i)
            moveImmediate(parameterRegisters[next++], pending[i]);
        pendingCount = 0;
        moveImmediate(RAX, function);

        if (stackKnown && depth % 2 == 0 && !padded) {
            // The entry left rsp 8 bytes off 16 (the return address), and an even number
            // of pushes keeps it there: pad, and keep the pad for the calls that follow.
            out.bytes(0x48, 0x83); // sub rsp, 8
            out.bytes(0xEC, 0x08);
            padded = true;
        }
        if (!stackKnown) {
            out.bytes(0x49, 0x89); // mov r11, rsp
            out.byte(0xE3);
            out.bytes(0x48, 0x83); // and rsp, -16
            out.bytes(0xE4, 0xF0);
            out.bytes(0x41, 0x53); // push r11, twice: rsp stays aligned
            out.bytes(0x41, 0x53);
            out.bytes(0xFF, 0xD0); // call rax
            out.byte(0x5C);        // pop rsp: back to where it was
        } else {
            out.bytes(0xFF, 0xD0); // call rax
        }
    }

    void unpad() {
        out.bytes(0x48, 0x83); // add rsp, 8
        out.bytes(0xC4, 0x08);
        padded = false;
    }

    CodeWriter& out;
    Word pending[Assembler::maximumArguments] = {};
    std::uint32_t pendingCount = 0;
    Word receiver = 0;
    int depth = 0;          // words pushed since the entry, less those popped
    bool stackKnown = true; // false once a command wrote ESP
    bool padded = false;    // rsp is 8 below where the commands think it is
};
} // namespace

object::Pointer<Program> X64Encoder::assemble(const Assembler& assembler) {
    if (assembler.findFault())
        return nullptr;
    return encodeInTwoPasses<Emitter>(assembler, Program::Machine::X86_64);
}

} // namespace orvane::system
