#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::system {
namespace {

using A = Assembler;
using Command = Assembler::Command;
using Fault = Assembler::Fault;
using Word = Assembler::Word;

constexpr Word F = 0x1000;
constexpr Program::Machine allMachines[] = {Program::Machine::IA32, Program::Machine::X86_64,
                                            Program::Machine::INTERPRETER};

struct FaultyList {
    const char* what;
    std::vector<Command> commands;
    Fault::Kind kind;
    std::uint32_t index;
};

std::vector<Command> arguments(int count, std::vector<Command> then) {
    std::vector<Command> list(count, Command{A::ARGUMENT, 1});
    list.insert(list.end(), then.begin(), then.end());
    return list;
}

// Lists appended command by command, past the debug checks of the adding operations.
const FaultyList faultyLists[] = {
    {"push of register 8", {{A::PUSH, 8}}, Fault::BAD_REGISTER, 0},
    {"pop of register -1", {{A::RETURN}, {A::POP, Word(-1)}}, Fault::BAD_REGISTER, 1},
    {"move from register 9", {{A::MOVE_REGISTER, A::EAX, 9}}, Fault::BAD_REGISTER, 0},
    {"immediate into register 8", {{A::MOVE_IMMEDIATE, 8, 5}}, Fault::BAD_REGISTER, 0},
    {"absolute load into register 8", {{A::LOAD_ABSOLUTE, 8, F}}, Fault::BAD_REGISTER, 0},
    {"absolute store from register 8", {{A::STORE_ABSOLUTE, F, 8}}, Fault::BAD_REGISTER, 0},
    {"indirect load into register 8", {{A::LOAD_INDIRECT, 8, A::EBX}}, Fault::BAD_REGISTER, 0},
    {"indexed store from register 8", {{A::STORE_INDEXED, A::EBX, 4, 8}}, Fault::BAD_REGISTER, 0},
    {"load through esp", {{A::LOAD_INDIRECT, A::EAX, A::ESP}}, Fault::BAD_ADDRESS_REGISTER, 0},
    {"load through ebp", {{A::LOAD_INDIRECT, A::EAX, A::EBP}}, Fault::BAD_ADDRESS_REGISTER, 0},
    {"store through esp", {{A::STORE_INDIRECT, A::ESP, A::EAX}}, Fault::BAD_ADDRESS_REGISTER, 0},
    {"store through ebp", {{A::STORE_INDIRECT, A::EBP, A::EAX}}, Fault::BAD_ADDRESS_REGISTER, 0},
    {"load indexed on esp", {{A::LOAD_INDEXED, A::EAX, A::ESP, 4}}, Fault::BAD_BASE_REGISTER, 0},
    {"store indexed on esp", {{A::STORE_INDEXED, A::ESP, 4, A::EAX}}, Fault::BAD_BASE_REGISTER, 0},
    {"six arguments at a C call", arguments(6, {{A::CALL_CDECL, F}}), Fault::TOO_MANY_ARGUMENTS, 5},
    {"six arguments and no call", arguments(6, {}), Fault::TOO_MANY_ARGUMENTS, 5},
    {"six arguments across a return",
     arguments(3, {{A::RETURN},
                   {A::ARGUMENT, 4},
                   {A::ARGUMENT, 5},
                   {A::ARGUMENT, 6},
                   {A::CALL_STANDARD, F}}),
     Fault::TOO_MANY_ARGUMENTS, 6},
    {"receiver call with six arguments", arguments(6, {{A::SET_THIS, 1}, {A::CALL_THIS, F}}),
     Fault::TOO_MANY_ARGUMENTS, 5},
    {"receiver call before any receiver",
     {{A::CALL_THIS, F}, {A::SET_THIS, 1}},
     Fault::NO_RECEIVER,
     0},
    {"label without a name", {{A::LABEL, 0}}, Fault::BAD_LABEL, 0},
};

TEST(AssemblerFaults, FaultyListsAreFoundAndRefusedByEveryBackend) {
    for (const FaultyList& list : faultyLists) {
        SCOPED_TRACE(list.what);
        Assembler a;
        a.ret(); // something valid first, so the index counts
        for (const Command& command : list.commands)
            a.add(command);
        const Fault fault = a.findFault();
        EXPECT_EQ(fault.kind, list.kind);
        EXPECT_EQ(fault.command, list.index + 1);
        EXPECT_FALSE(a.assemble());
        for (Program::Machine machine : allMachines)
            EXPECT_FALSE(a.assemble(machine));
    }
}

TEST(AssemblerFaults, LimitsThemselvesAreAccepted) {
    Assembler a;
    a.setThis(F);
    for (int i = 0; i < 5; ++i)
        a.argument(i);
    a.callThis(F);
    for (int i = 0; i < 5; ++i)
        a.argument(i);
    a.callStandard(F);
    a.loadIndexed(A::EAX, A::EBP, 8);
    a.storeIndexed(A::EBP, 8, A::EDI);
    a.push(A::ESP);
    a.add(Command{99, 1234, Word(-1), 8}); // unknown codes are skipped, whatever they hold
    a.label("last");
    EXPECT_FALSE(a.findFault());
    for (Program::Machine machine : allMachines)
        EXPECT_TRUE(a.assemble(machine));
}

TEST(AssemblerFaults, AddingOperationsAssertInDebugBuilds) {
    // In release builds the faulty command is appended and left to assemble().
    const char* message = "invalid assembler command";
    EXPECT_DEBUG_DEATH(
        {
            Assembler a;
            a.push(8);
            EXPECT_EQ(a.findFault().kind, Fault::BAD_REGISTER);
        },
        message);
    EXPECT_DEBUG_DEATH(
        {
            Assembler a;
            a.storeIndirect(A::EBP, A::EAX);
            EXPECT_EQ(a.findFault().kind, Fault::BAD_ADDRESS_REGISTER);
        },
        message);
    EXPECT_DEBUG_DEATH(
        {
            Assembler a;
            a.loadIndexed(A::EAX, A::ESP, 4);
            EXPECT_EQ(a.findFault().kind, Fault::BAD_BASE_REGISTER);
        },
        message);
    EXPECT_DEBUG_DEATH(
        {
            Assembler a;
            for (int i = 0; i < 6; ++i)
                a.argument(i);
            a.callCdecl(F);
            EXPECT_EQ(a.findFault().kind, Fault::TOO_MANY_ARGUMENTS);
        },
        message);
    EXPECT_DEBUG_DEATH(
        {
            Assembler a;
            a.setThis(F);
            a.clear(); // forgets the receiver with the commands
            a.callThis(F);
            EXPECT_EQ(a.findFault().kind, Fault::NO_RECEIVER);
        },
        message);
}

TEST(AssemblerLifecycle, AssembleKeepsTheListAndClearEmptiesIt) {
    Assembler a;
    a.label("entry");
    a.callCdecl1(F, 1);
    a.ret();
    EXPECT_EQ(a.getCommands().count(), 4u);

    const object::Pointer<Program> first = a.assemble(Program::Machine::IA32);
    const object::Pointer<Program> second = a.assemble(Program::Machine::IA32);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->getReferenceCount(), 1);
    ASSERT_EQ(first->getCodeSize(), second->getCodeSize());
    EXPECT_EQ(std::memcmp(first->getCode(), second->getCode(), first->getCodeSize()), 0);
    EXPECT_EQ(a.getCommands().count(), 4u);
    EXPECT_EQ(a.getLabelNames().count(), 1u);

    a.clear();
    EXPECT_EQ(a.getCommands().count(), 0u);
    EXPECT_EQ(a.getLabelNames().count(), 0u);
    a.label("again");
    EXPECT_EQ(a.getCommands()[0].operand1, 0u) << "label indices restart";
    EXPECT_FALSE(a.findFault());
}

} // namespace
} // namespace orvane::system
