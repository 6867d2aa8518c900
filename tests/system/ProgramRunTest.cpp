#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"
#include "orvane/system/ProgramException.h"
#include "tests/system/CallLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The same command lists run as native code for this processor and through the
// interpreter; both must make the same calls and leave the same memory behind.
namespace orvane::system {
namespace {

using A = Assembler;
using test::Call;
using test::CallKind;
using test::CallLog;
using test::recorder;
using Word = Assembler::Word;

constexpr bool wideWords = sizeof(Word) > 4;
// Values that need every bit of a word, where words have more than 32.
constexpr Word big = wideWords ? Word(0xFEDCBA9876543210ull) : Word(0xFEDCBA98u);
constexpr Word negative = Word(-5);

class ProgramRun : public ::testing::TestWithParam<Program::Machine> {
protected:
    void SetUp() override { CallLog::reset(); }

    object::Pointer<Program> make(const Assembler& a) {
        object::Pointer<Program> program = a.assemble(GetParam());
        EXPECT_TRUE(program);
        return program;
    }

    // Runs the list from its start and answers EAX.
    Word run(const Assembler& a) {
        const object::Pointer<Program> program = make(a);
        return program ? program->code()() : 0;
    }
};

// The callee-saved registers a program must restore, saved and restored around body().
template <class Body>
void preserving(Assembler& a, Body body) {
    for (int r : {A::EBX, A::EBP, A::ESI, A::EDI})
        a.push(r);
    body();
    for (int r : {A::EDI, A::ESI, A::EBP, A::EBX})
        a.pop(r);
    a.ret();
}

TEST_P(ProgramRun, ArgumentsArriveInParameterOrderForEveryKindAndCount) {
    const Word receiver = 0xAB0000 + 1;
    const Word values[] = {1, big, negative, 0xFFFFFFFFu, 0x80000000u};
    std::vector<Call> expected;
    Assembler a;
    a.setThis(receiver);
    for (CallKind kind : {CallKind::CDECL, CallKind::STANDARD, CallKind::THIS}) {
        for (std::size_t count = 0; count <= 5; ++count) {
            std::vector<Word> args(values, values + count);
            test::addRecordedCall<1>(a, kind, args);
            if (kind == CallKind::THIS)
                args.insert(args.begin(), receiver);
            expected.push_back(Call{kind, 1, args});
        }
    }
    a.ret();
    run(a);
    EXPECT_EQ(CallLog::calls, expected);
}

TEST_P(ProgramRun, ReceiverStaysUntilTheNextSetThisAndArgumentsWaitForTheNextCall) {
    Assembler a;
    a.setThis(0x100);
    a.argument(1);
    a.moveImmediate(A::EAX, 77); // other commands between an argument and its call
    a.callThis(recorder<2>(CallKind::THIS, 1));
    a.callThis(recorder<2>(CallKind::THIS, 0));
    a.argument(2);
    a.callCdecl(recorder<3>(CallKind::CDECL, 1));
    a.callThisOn1(recorder<2>(CallKind::THIS, 1), 0x200, 3);
    a.callThisOn(recorder<2>(CallKind::THIS, 0), 0x300);
    a.ret();
    run(a);
    const std::vector<Call> expected = {
        {CallKind::THIS, 2, {0x100, 1}}, {CallKind::THIS, 2, {0x100}}, {CallKind::CDECL, 3, {2}},
        {CallKind::THIS, 2, {0x200, 3}}, {CallKind::THIS, 2, {0x300}},
    };
    EXPECT_EQ(CallLog::calls, expected);
}

TEST_P(ProgramRun, CallResultsLandInEaxAndSavedRegistersSurviveCalls) {
    Word cells[6] = {};
    const Word saved[] = {big ^ 3, big ^ 5, big ^ 6, big ^ 7};
    Assembler a;
    preserving(a, [&] {
        a.moveImmediate(A::EBX, saved[0]);
        a.moveImmediate(A::EBP, saved[1]);
        a.moveImmediate(A::ESI, saved[2]);
        a.moveImmediate(A::EDI, saved[3]);
        // Calls that fill every parameter register, with and without a receiver.
        a.callStandard4(recorder<4>(CallKind::STANDARD, 4), 1, 2, 3, 4);
        a.storeAbsolute(&cells[4], A::EAX);
        a.setThis(0x55);
        for (int i = 0; i < 5; ++i)
            a.argument(10 + i);
        a.callThis(recorder<5>(CallKind::THIS, 5));
        a.storeAbsolute(&cells[5], A::EAX);
        a.storeAbsolute(&cells[0], A::EBX);
        a.storeAbsolute(&cells[1], A::EBP);
        a.storeAbsolute(&cells[2], A::ESI);
        a.storeAbsolute(&cells[3], A::EDI);
        // A value pushed and popped into another register.
        a.push(A::ESI);
        a.pop(A::EAX);
    });
    EXPECT_EQ(run(a), saved[2]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(cells[i], saved[i]) << "register " << i;
    ASSERT_EQ(CallLog::calls.size(), 2u);
    EXPECT_EQ(cells[4], CallLog::resultOf(CallLog::calls[0]));
    EXPECT_EQ(cells[5], CallLog::resultOf(CallLog::calls[1]));
}

TEST_P(ProgramRun, LoadsAndStoresThroughEveryAddressingForm) {
    // Every register that may address memory, with displacements of every size class.
    Word memory[64] = {};
    for (int i = 0; i < 64; ++i)
        memory[i] = big ^ static_cast<Word>(i);
    Word out[64] = {};
    const Word w = sizeof(Word);
    Assembler a;
    preserving(a, [&] {
        int slot = 0;
        for (int r : {A::EAX, A::ECX, A::EDX, A::EBX, A::ESI, A::EDI}) {
            const int other = r == A::EAX ? A::ECX : A::EAX;
            a.moveImmediate(r, &memory[slot]);
            a.loadIndirect(other, r);
            a.moveImmediate(r, &out[slot]);
            a.storeIndirect(r, other);
            ++slot;
        }
        for (int r : {A::EAX, A::ECX, A::EDX, A::EBX, A::EBP, A::ESI, A::EDI}) {
            const int other = r == A::EDX ? A::ECX : A::EDX;
            for (Word displacement : {Word(0), w, 40 * w, Word(-2) * w}) {
                const Word from = reinterpret_cast<Word>(&memory[slot]) - displacement;
                const Word to = reinterpret_cast<Word>(&out[slot]) - displacement;
                a.moveImmediate(r, from);
                a.loadIndexed(other, r, displacement);
                a.moveImmediate(r, to);
                a.storeIndexed(r, displacement, other);
                ++slot;
            }
        }
        for (int r : {A::EAX, A::ECX, A::EDX, A::EBX, A::EBP, A::ESI, A::EDI}) {
            a.loadAbsolute(r, &memory[slot]);
            a.storeAbsolute(&out[slot], r);
            ++slot;
        }
        ASSERT_LE(slot, 64);
    });
    run(a);
    for (int i = 0; i < 6 + 7 * 4 + 7; ++i)
        EXPECT_EQ(out[i], memory[i]) << "slot " << i;
}

TEST_P(ProgramRun, DisplacementsBeyond32Bits) {
    if constexpr (!wideWords)
        GTEST_SKIP() << "words have 32 bits here";
    Word cell = 0;
    const Word far = static_cast<Word>(std::uint64_t(1) << 36);
    Assembler a;
    a.moveImmediate(A::EAX, 0x1234);
    a.moveImmediate(A::EDX, reinterpret_cast<Word>(&cell) - far);
    a.storeIndexed(A::EDX, far, A::EAX);
    a.moveImmediate(A::EAX, 0);
    a.moveImmediate(A::ECX, reinterpret_cast<Word>(&cell) + far);
    a.loadIndexed(A::EAX, A::ECX, Word(0) - far);
    a.ret();
    EXPECT_EQ(run(a), 0x1234u);
    EXPECT_EQ(cell, 0x1234u);
}

TEST_P(ProgramRun, LabelsAreEntriesFoundByName) {
    const std::string longName(70, 'n');
    Assembler a;
    a.setThis(0x42);
    a.argument(7); // pending until the first call after the label
    a.label("first");
    a.callCdecl(recorder<1>(CallKind::CDECL, 1));
    a.moveImmediate(A::EAX, 11);
    a.ret();
    a.label("second");
    a.label(longName.c_str());
    a.callThis(recorder<2>(CallKind::THIS, 0));
    a.moveImmediate(A::EAX, 22);
    a.ret();
    a.label("first"); // a second label of that name is never found
    a.label("end");

    const object::Pointer<Program> program = make(a);
    ASSERT_TRUE(program);
    const auto start = reinterpret_cast<std::uintptr_t>(program->getCode());
    EXPECT_EQ(program->findLabel("first"), start);
    EXPECT_EQ(program->findLabel("second"), program->findLabel(longName.c_str()));
    EXPECT_EQ(program->findLabel(longName.substr(0, 64).c_str()),
              program->findLabel(longName.c_str()))
        << "names are compared in their first 64 characters";
    EXPECT_EQ(program->findLabel("end"), start + program->getCodeSize());
    EXPECT_EQ(program->findLabel("fir"), 0u);
    EXPECT_EQ(program->getLabels().count(), 5u);

    EXPECT_EQ(program->entryAt(program->findLabel("second"))(), 22u);
    EXPECT_EQ(program->entryAt(program->findLabel("first"))(), 11u);
    program->entryAt(program->findLabel("end"))(); // runs off the end: returns
    const std::vector<Call> expected = {{CallKind::THIS, 2, {0x42}}, {CallKind::CDECL, 1, {7}}};
    EXPECT_EQ(CallLog::calls, expected);

    EXPECT_THROW(program->entryAt(start - 1), ProgramException);
    EXPECT_THROW(program->entryAt(start + program->getCodeSize() + 1), ProgramException);
}

TEST_P(ProgramRun, EmptyProgramHasNoCodeAndReturnsAtOnce) {
    Assembler a;
    const object::Pointer<Program> empty = make(a);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getCodeSize(), 0u);
    EXPECT_NE(empty->getCode(), nullptr);
    empty->code()();

    a.label("only");
    const object::Pointer<Program> labelled = make(a);
    ASSERT_TRUE(labelled);
    EXPECT_EQ(labelled->getCodeSize(), 0u);
    EXPECT_EQ(labelled->findLabel("only"), reinterpret_cast<Word>(labelled->getCode()));
    EXPECT_TRUE(CallLog::calls.empty());
}

TEST_P(ProgramRun, CallsLeaveEspWhereItWasAndCodeMayRunOffItsEnd) {
    Word seen[2] = {};
    Assembler a;
    a.moveRegister(A::ECX, A::ESP);
    a.storeAbsolute(&seen[0], A::ECX);
    a.callCdecl1(recorder<1>(CallKind::CDECL, 1), 1);
    a.callCdecl1(recorder<1>(CallKind::CDECL, 1), 2);
    a.moveRegister(A::ECX, A::ESP);
    a.storeAbsolute(&seen[1], A::ECX);
    a.callCdecl1(recorder<1>(CallKind::CDECL, 1), 3);
    a.label("tail");
    a.callCdecl1(recorder<1>(CallKind::CDECL, 1), 4); // no return: the end returns
    const object::Pointer<Program> program = make(a);
    ASSERT_TRUE(program);
    program->code()();
    EXPECT_EQ(seen[0], seen[1]);
    program->entryAt(program->findLabel("tail"))();
    std::vector<Call> expected;
    for (Word i : {1, 2, 3, 4, 4})
        expected.push_back(Call{CallKind::CDECL, 1, {i}});
    EXPECT_EQ(CallLog::calls, expected);
}

std::vector<Program::Machine> runnableMachines() {
    std::vector<Program::Machine> machines{Program::Machine::INTERPRETER};
    if (Program::hostMachine != Program::Machine::INTERPRETER)
        machines.insert(machines.begin(), Program::hostMachine);
    return machines;
}

INSTANTIATE_TEST_SUITE_P(NativeAndInterpreted, ProgramRun, ::testing::ValuesIn(runnableMachines()),
                         [](const ::testing::TestParamInfo<Program::Machine>& info) {
                             switch (info.param) {
                             case Program::Machine::IA32:
                                 return "IA32";
                             case Program::Machine::X86_64:
                                 return "X86_64";
                             default:
                                 return "Interpreter";
                             }
                         });

} // namespace
} // namespace orvane::system
