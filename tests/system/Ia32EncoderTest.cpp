#include "orvane/system/Ia32Encoder.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"
#include "orvane/system/ProgramException.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace orvane::system {
namespace {

using A = Assembler;
using Word = Assembler::Word;

std::string hex(const unsigned char* bytes, std::uint32_t size) {
    std::string text;
    char digits[4];
    for (std::uint32_t i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

// One line per encoding: the commands, then the bytes the IA-32 encoder must emit.
void expectBytes(const std::function<void(Assembler&)>& build, const char* expected,
                 const char* source) {
    Assembler a;
    build(a);
    const object::Pointer<Program> program = Ia32Encoder::assemble(a);
    ASSERT_TRUE(program) << source;
    EXPECT_EQ(program->getMachine(), Program::Machine::IA32);
    EXPECT_EQ(hex(program->getCode(), program->getCodeSize()), expected) << source;
}

#define IA32(commands, bytes)                                                                      \
    expectBytes([]([[maybe_unused]] Assembler& a) { commands; }, bytes, #commands)

constexpr Word F = 0x12345678; // a function address
constexpr Word G = 0x00401000;
constexpr Word OBJ = 0x00C0FFEE; // an object address

TEST(Ia32Encoding, CallsPushPendingArgumentsLastAddedFirst) {
    IA32(a.callCdecl(F), "B8 78 56 34 12 FF D0");
    IA32(a.argument(1); a.argument(2);
         a.callCdecl(F), "B8 78 56 34 12 68 02 00 00 00 68 01 00 00 00 FF D0 83 C4 08");
    IA32(a.callCdecl1(F, 7), "B8 78 56 34 12 68 07 00 00 00 FF D0 83 C4 04");
    IA32(a.callCdecl3(F, 1, 2, 3),
         "B8 78 56 34 12 68 03 00 00 00 68 02 00 00 00 68 01 00 00 00 FF D0 83 C4 0C");
    IA32(for (int i = 1; i <= 5; ++i) a.argument(i);
         a.callCdecl(F),
         "B8 78 56 34 12 68 05 00 00 00 68 04 00 00 00 68 03 00 00 00 68 02 00 00 00 "
         "68 01 00 00 00 FF D0 83 C4 14");

    IA32(a.callStandard(F), "B8 78 56 34 12 FF D0");
    IA32(a.callStandard1(F, 0x0DE1), "B8 78 56 34 12 68 E1 0D 00 00 FF D0");
    IA32(a.callStandard2(F, 0x8892, 5), "B8 78 56 34 12 68 05 00 00 00 68 92 88 00 00 FF D0");
    IA32(a.callStandard3(F, 1, 2, 3),
         "B8 78 56 34 12 68 03 00 00 00 68 02 00 00 00 68 01 00 00 00 FF D0");
    IA32(a.callStandard4(F, 1, 2, 3, 4), "B8 78 56 34 12 68 04 00 00 00 68 03 00 00 00 "
                                         "68 02 00 00 00 68 01 00 00 00 FF D0");
    IA32(a.callStandard1(F, -1), "B8 78 56 34 12 68 FF FF FF FF FF D0");

    IA32(a.setThis(OBJ); a.callThis(F), "B8 78 56 34 12 B9 EE FF C0 00 FF D0");
    IA32(a.callThisOn(F, OBJ), "B8 78 56 34 12 B9 EE FF C0 00 FF D0");
    IA32(a.callThisOn1(G, OBJ, 3), "B8 00 10 40 00 B9 EE FF C0 00 68 03 00 00 00 FF D0");
}

TEST(Ia32Encoding, EmitterStateCarriesAcrossCommands) {
    // The receiver stays until the next SET_THIS; arguments wait for the next call, even
    // across other commands and a return.
    IA32(a.setThis(OBJ); a.callThis(F);
         a.callThis(G), "B8 78 56 34 12 B9 EE FF C0 00 FF D0 B8 00 10 40 00 B9 EE FF C0 00 FF D0");
    IA32(a.argument(9); a.moveRegister(A::EBX, A::EAX); a.ret();
         a.callStandard(F), "89 C3 C3 B8 78 56 34 12 68 09 00 00 00 FF D0");
    IA32(a.callCdecl1(F, 1);
         a.callCdecl(G), "B8 78 56 34 12 68 01 00 00 00 FF D0 83 C4 04 B8 00 10 40 00 FF D0");
}

TEST(Ia32Encoding, RegisterCommands) {
    IA32(a.ret(), "C3");
    IA32(for (int r = 0; r < 8; ++r) a.push(r), "50 51 52 53 54 55 56 57");
    IA32(for (int r = 0; r < 8; ++r) a.pop(r), "58 59 5A 5B 5C 5D 5E 5F");
    IA32(a.moveRegister(6, 0), "89 C6");
    IA32(a.moveRegister(A::EAX, A::EDI), "89 F8");
    IA32(a.moveRegister(A::EBP, A::ESP), "89 E5");
    IA32(a.moveRegister(A::ESP, A::EBP), "89 EC");
    IA32(a.moveImmediate(A::EAX, 0x11223344), "B8 44 33 22 11");
    IA32(a.moveImmediate(A::EDX, F), "BA 78 56 34 12");
    IA32(a.moveImmediate(A::EDI, -2), "BF FE FF FF FF");
    IA32(a.moveImmediate(A::ESP, 0), "BC 00 00 00 00");
}

TEST(Ia32Encoding, LoadsAndStores) {
    IA32(a.loadAbsolute(A::EAX, 0x00405000), "8B 05 00 50 40 00");
    IA32(a.loadAbsolute(A::EDI, 0x00405000), "8B 3D 00 50 40 00");
    IA32(a.loadIndirect(A::ECX, A::EAX), "8B 08");
    IA32(a.loadIndirect(A::EDX, A::ESI), "8B 16");
    IA32(a.loadIndirect(A::EBP, A::EDI), "8B 2F");
    IA32(a.loadIndexed(A::EAX, A::ESI, 0x10), "8B 86 10 00 00 00");
    IA32(a.loadIndexed(A::EBX, A::EBP, -8), "8B 9D F8 FF FF FF");
    IA32(a.storeAbsolute(0x00405000, A::EAX), "89 05 00 50 40 00");
    IA32(a.storeAbsolute(0x00405004, A::ESI), "89 35 04 50 40 00");
    IA32(a.storeIndirect(A::EBX, A::ECX), "89 0B");
    IA32(a.storeIndirect(A::EDI, A::EAX), "89 07");
    IA32(a.storeIndexed(6, 0x1234, 2), "89 96 34 12 00 00");
    IA32(a.storeIndexed(A::EBP, -4, A::EAX), "89 85 FC FF FF FF");
}

TEST(Ia32Encoding, CommandsThatEmitNothing) {
    IA32(, "");
    IA32(a.argument(1); a.setThis(OBJ); a.label("x"), "");
    IA32(a.add((Assembler::Command{17, 1, 2, 3})); a.add((Assembler::Command{-1, 0, 0, 0}));
         a.ret(), "C3");
}

TEST(Ia32Encoding, RenderPrologueAndEpilogue) {
    IA32(a.push(A::ESI); a.callCdecl(F); a.moveRegister(A::ESI, A::EAX);
         a.moveImmediate(A::EDX, OBJ); a.storeIndexed(A::ESI, 0x40, A::EDX); a.pop(A::ESI);
         a.ret(), "56 B8 78 56 34 12 FF D0 89 C6 BA EE FF C0 00 89 96 40 00 00 00 5E C3");
}

TEST(Ia32Labels, OffsetsBecomeAbsoluteAddresses) {
    Assembler a;
    a.label("start");
    a.push(A::ESI);
    a.label("");
    a.callCdecl(F);
    a.label("end");
    const object::Pointer<Program> program = Ia32Encoder::assemble(a);
    ASSERT_TRUE(program);
    const auto base = reinterpret_cast<std::uintptr_t>(program->getCode());
    ASSERT_EQ(program->getCodeSize(), 8u);
    ASSERT_EQ(program->getLabels().count(), 3u);
    EXPECT_EQ(program->findLabel("start"), base);
    EXPECT_EQ(program->getLabels()[1].address, base + 1);
    EXPECT_EQ(program->findLabel(""), base + 1) << "an empty name is a name";
    EXPECT_EQ(program->findLabel("end"), base + 8) << "one past the last byte";
    EXPECT_EQ(program->findLabel("missing"), 0u);
}

TEST(Ia32Refusals, OperandsWiderThan32BitsAreRefused) {
    if constexpr (sizeof(Word) > 4) {
        const Word wide = static_cast<Word>(std::uint64_t(1) << 40);
        const std::function<void(Assembler&)> wideUses[] = {
            [&](Assembler& a) { a.callCdecl(wide); },
            [&](Assembler& a) { a.argument(wide); },
            [&](Assembler& a) { a.setThis(wide); },
            [&](Assembler& a) { a.moveImmediate(A::EAX, wide); },
            [&](Assembler& a) { a.loadAbsolute(A::EAX, wide); },
            [&](Assembler& a) { a.loadIndexed(A::EAX, A::EBX, wide); },
            [&](Assembler& a) { a.storeAbsolute(wide, A::EAX); },
            [&](Assembler& a) { a.storeIndexed(A::EBX, wide, A::EAX); },
        };
        for (const auto& use : wideUses) {
            Assembler a;
            use(a);
            EXPECT_FALSE(Ia32Encoder::assemble(a));
            EXPECT_TRUE(a.assemble(Program::Machine::X86_64)) << "x86-64 takes any word";
        }
    } else {
        GTEST_SKIP() << "every operand fits in 32 bits here";
    }
}

TEST(Ia32Refusals, ForeignCodeIsNotRun) {
    const Program::Machine foreign = Program::hostMachine == Program::Machine::IA32
                                         ? Program::Machine::X86_64
                                         : Program::Machine::IA32;
    Assembler a;
    a.ret();
    const object::Pointer<Program> program = a.assemble(foreign);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->code().function(), nullptr);
    EXPECT_THROW(program->code()(), ProgramException);
}

} // namespace
} // namespace orvane::system
