#include "orvane/system/Program.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/ProgramException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orvane::system {
namespace {

using A = Assembler;
using Word = Assembler::Word;

// The permissions of the mapping that holds address, as /proc/self/maps shows them
// ("r-xp"), or "" when no mapping holds it.
std::string permissionsAt(Word address) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        unsigned long long from = 0, to = 0;
        char permissions[5] = {};
        if (std::sscanf(line.c_str(), "%llx-%llx %4s", &from, &to, permissions) == 3 &&
            address >= from && address < to)
            return permissions;
    }
    return "";
}

TEST(ProgramMemory, CodeIsExecutableNeverWritableAndUnmappedWithItsProgram) {
    if constexpr (Program::hostMachine == Program::Machine::INTERPRETER)
        GTEST_SKIP() << "no machine code here";
    Assembler a;
    a.ret();
    Word address = 0;
    {
        const object::Pointer<Program> program = a.assemble();
        ASSERT_TRUE(program);
        address = reinterpret_cast<Word>(program->getCode());
        EXPECT_EQ(permissionsAt(address), "r-xp");
    }
    EXPECT_NE(permissionsAt(address), "r-xp") << "the code memory outlived its program";
}

// A program that answers the stack pointer it was entered with: 8 bytes below the one
// its caller had at the call.
object::Pointer<Program> stackProbe() {
    Assembler probe;
    probe.moveRegister(A::EAX, A::ESP);
    probe.ret();
    return probe.assemble(Program::Machine::X86_64);
}

TEST(ProgramStack, X86_64CallsAreAlignedWhateverPrecedesThem) {
    if constexpr (Program::hostMachine != Program::Machine::X86_64)
        GTEST_SKIP() << "x86-64 code does not run here";
    const object::Pointer<Program> probe = stackProbe();
    const Word probeAddress = reinterpret_cast<Word>(probe->code().function());
    Word seen[16] = {};
    int checks = 0;
    const auto probeInto = [&](Assembler& a) {
        a.callCdecl(probeAddress);
        a.storeAbsolute(&seen[checks++], A::EAX);
    };

    Assembler a;
    for (int depth = 0; depth < 4; ++depth) { // plain pushes, then calls of every kind
        probeInto(a);
        a.setThis(1);
        a.argument(2);
        a.callThis(probeAddress);
        a.storeAbsolute(&seen[checks++], A::EAX);
        a.push(A::EBX);
    }
    for (int depth = 0; depth < 4; ++depth)
        a.pop(A::EBX);
    // A frame: ESP written from EBP leaves the encoder without a count; 1 and 2 words deep.
    a.push(A::EBP);
    a.moveRegister(A::EBP, A::ESP);
    a.push(A::EBX);
    a.moveRegister(A::ESP, A::EBP);
    probeInto(a);
    a.push(A::EBX);
    a.moveRegister(A::EBP, A::ESP);
    a.push(A::ECX);
    a.moveRegister(A::ESP, A::EBP);
    probeInto(a);
    a.pop(A::EBX);
    a.pop(A::EBP);
    a.ret();
    // After a return the count starts afresh for the next entry.
    a.label("second");
    a.push(A::EBX);
    probeInto(a);
    a.pop(A::EBX);
    a.ret();

    const object::Pointer<Program> program = a.assemble();
    ASSERT_TRUE(program);
    program->code()();
    program->entryAt(program->findLabel("second"))();
    for (int i = 0; i < checks; ++i)
        EXPECT_EQ(seen[i] % 16, 8u) << "call " << i << " was made with a misaligned stack";
}

TEST(ProgramInterpreter, PushesAndPopsStayOnTheRunsStack) {
    Assembler deep;
    for (std::uint32_t i = 0; i <= 1024; ++i)
        deep.push(A::EAX);
    const object::Pointer<Program> overflow = deep.assemble(Program::Machine::INTERPRETER);
    EXPECT_THROW(overflow->code()(), ProgramException);

    Assembler shallow;
    shallow.pop(A::EAX);
    const object::Pointer<Program> underflow = shallow.assemble(Program::Machine::INTERPRETER);
    EXPECT_THROW(underflow->code()(), ProgramException);

    Assembler frame; // ESP is an address into the run's stack, usable as a base
    frame.moveImmediate(A::EAX, 31);
    frame.push(A::EAX);
    frame.moveImmediate(A::EAX, 32);
    frame.push(A::EAX);
    frame.moveRegister(A::EBX, A::ESP);
    frame.loadIndexed(A::EAX, A::EBX, sizeof(Word));
    frame.pop(A::ECX);
    frame.pop(A::ECX);
    frame.ret();
    EXPECT_EQ(frame.assemble(Program::Machine::INTERPRETER)->code()(), 31u);
}

std::atomic<long> counted{0};
Word count(Word amount) {
    counted.fetch_add(static_cast<long>(amount), std::memory_order_relaxed);
    return amount;
}

TEST(ProgramThreads, OneProgramRunsOnSeveralThreadsAtOnce) {
    Assembler a;
    for (int i = 0; i < 10; ++i)
        a.callCdecl1(&count, 1);
    a.ret();
    std::vector<object::Pointer<Program>> programs = {a.assemble(Program::Machine::INTERPRETER)};
    if (Program::hostMachine != Program::Machine::INTERPRETER)
        programs.push_back(a.assemble());
    for (const object::Pointer<Program>& program : programs) {
        counted = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&program] {
                for (int i = 0; i < 500; ++i)
                    program->code()();
            });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(counted.load(), 4 * 500 * 10);
    }
}

} // namespace
} // namespace orvane::system
