#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"
#include "tests/system/CallLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

// Many generated command lists, each run natively and through the interpreter: both must
// make the same calls, leave the same memory and answer the same EAX.
namespace orvane::system {
namespace {

using A = Assembler;
using test::Call;
using test::CallKind;
using test::CallLog;
using Word = Assembler::Word;

constexpr int cellCount = 32;

struct Outcome {
    std::vector<Call> calls;
    std::vector<Word> cells;
    Word result;
};

// Writes a random list that is well defined on every backend: registers are read only
// once they hold a known value (ECX and EDX lose theirs at every call), the callee-saved
// registers are restored, ESP is read only as a frame pointer, and memory is only the
// cells.
class ListGenerator {
public:
    ListGenerator(std::uint32_t seed, Word* cells)
        : random(seed)
        , cells(cells) {}

    void generate(Assembler& a) {
        const bool framed = chance(2);
        for (int r : {A::EBX, A::EBP, A::ESI, A::EDI})
            a.push(r);
        if (framed) { // EBP keeps the frame; stray pushes are dropped at the end
            a.moveRegister(A::EBP, A::ESP);
            usable = {A::EAX, A::ECX, A::EDX, A::EBX, A::ESI, A::EDI};
        }
        const int length = 20 + pick(60);
        for (int i = 0; i < length; ++i)
            step(a, framed);
        if (framed)
            a.moveRegister(A::ESP, A::EBP);
        else
            while (pushed-- > 0)
                a.pop(A::ECX);
        for (int r : {A::EDI, A::ESI, A::EBP, A::EBX})
            a.pop(r);
        if (!known[A::EAX])
            a.moveImmediate(A::EAX, value());
        a.ret();
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int oneIn) { return pick(oneIn) == 0; }

    Word value() {
        switch (pick(4)) {
        case 0:
            return Word(pick(100));
        case 1:
            return Word(-1 - pick(100));
        case 2:
            return Word(random()) << 16 ^ Word(random());
        default:
            return (Word(random()) << 31 << 1) ^ Word(random()); // every bit of a word
        }
    }

    int anyRegister() { return usable[pick(static_cast<int>(usable.size()))]; }
    int knownRegister() {
        std::vector<int> candidates;
        for (int r : usable)
            if (known[r])
                candidates.push_back(r);
        return candidates.empty() ? -1 : candidates[pick(static_cast<int>(candidates.size()))];
    }
    int addressRegister() { // no EBP: indirect forms cannot use it
        for (;;) {
            const int r = anyRegister();
            if (r != A::EBP)
                return r;
        }
    }
    Word cell(int index) { return reinterpret_cast<Word>(&cells[index]); }

    void step(Assembler& a, bool framed) {
        const int source = knownRegister();
        switch (pick(source < 0 ? 3 : 12)) {
        case 0: { // immediate
            const int r = anyRegister();
            a.moveImmediate(r, value());
            known[r] = true;
            break;
        }
        case 1:
            call(a);
            break;
        case 2: { // loads
            const int r = anyRegister();
            const int index = pick(cellCount);
            switch (pick(3)) {
            case 0:
                a.loadAbsolute(r, cell(index));
                break;
            case 1: {
                const int base = addressRegister();
                a.moveImmediate(base, cell(index));
                a.loadIndirect(r, base);
                known[base] = true;
                break;
            }
            default: {
                const int base = anyRegister();
                const int from = pick(cellCount);
                a.moveImmediate(base, cell(from));
                a.loadIndexed(r, base, Word(index - from) * sizeof(Word));
                known[base] = true;
            }
            }
            known[r] = true;
            break;
        }
        case 3:
            a.label(("label" + std::to_string(pick(1000))).c_str());
            break;
        case 4:
        case 5: { // stores
            const int index = pick(cellCount);
            switch (pick(3)) {
            case 0:
                a.storeAbsolute(cell(index), source);
                break;
            case 1: {
                const int base = addressRegister();
                if (base == source)
                    break;
                a.moveImmediate(base, cell(index));
                a.storeIndirect(base, source);
                known[base] = true;
                break;
            }
            default: {
                const int base = anyRegister();
                if (base == source)
                    break;
                const int from = pick(cellCount);
                a.moveImmediate(base, cell(from));
                a.storeIndexed(base, Word(index - from) * sizeof(Word), source);
                known[base] = true;
            }
            }
            break;
        }
        case 6: {
            const int r = anyRegister();
            a.moveRegister(r, source);
            known[r] = true;
            break;
        }
        case 7:
            a.push(source);
            ++pushed;
            break;
        case 8:
            if (pushed > 0) {
                const int r = anyRegister();
                a.pop(r);
                --pushed;
                known[r] = true;
            }
            break;
        case 9:
            a.argument(value());
            ++pending;
            if (pending == Assembler::maximumArguments)
                call(a);
            break;
        case 10:
            a.add(Assembler::Command{100 + pick(50), value(), value(), value()});
            break;
        default:
            if (framed && chance(3)) { // drops the pushes: ESP is no longer counted
                a.moveRegister(A::ESP, A::EBP);
                pushed = 0;
            }
            call(a);
        }
    }

    void call(Assembler& a) {
        const CallKind kind = static_cast<CallKind>(pick(3));
        if (kind == CallKind::THIS && (!receiverSet || chance(3))) {
            a.setThis(value());
            receiverSet = true;
        }
        const int function = pick(3);
        const Word address = function == 0   ? test::recorder<10>(kind, pending)
                             : function == 1 ? test::recorder<11>(kind, pending)
                                             : test::recorder<12>(kind, pending);
        if (kind == CallKind::THIS)
            a.callThis(address);
        else if (kind == CallKind::STANDARD)
            a.callStandard(address);
        else
            a.callCdecl(address);
        pending = 0;
        known[A::EAX] = true;
        known[A::ECX] = known[A::EDX] = false;
    }

    std::mt19937 random;
    Word* cells;
    std::vector<int> usable{A::EAX, A::ECX, A::EDX, A::EBX, A::EBP, A::ESI, A::EDI};
    bool known[Assembler::registerCount] = {};
    int pushed = 0;
    std::uint32_t pending = 0;
    bool receiverSet = false;
};

Outcome runOn(const Assembler& a, Program::Machine machine, Word* cells) {
    for (int i = 0; i < cellCount; ++i)
        cells[i] = Word(0xCE11) + static_cast<Word>(i);
    CallLog::reset();
    const object::Pointer<Program> program = a.assemble(machine);
    EXPECT_TRUE(program);
    const Word result = program ? program->code()() : 0;
    return Outcome{CallLog::calls, std::vector<Word>(cells, cells + cellCount), result};
}

TEST(ProgramRandom, NativeAndInterpretedRunsAgree) {
    if constexpr (Program::hostMachine == Program::Machine::INTERPRETER)
        GTEST_SKIP() << "no native backend here";
    Word cells[cellCount];
    std::size_t totalCalls = 0;
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Assembler a;
        ListGenerator(seed, cells).generate(a);
        ASSERT_FALSE(a.findFault());
        const Outcome native = runOn(a, Program::hostMachine, cells);
        const Outcome interpreted = runOn(a, Program::Machine::INTERPRETER, cells);
        ASSERT_EQ(native.calls, interpreted.calls);
        ASSERT_EQ(native.cells, interpreted.cells);
        ASSERT_EQ(native.result, interpreted.result);
        totalCalls += native.calls.size();
    }
    EXPECT_GT(totalCalls, 6000u) << "the generator should make plenty of calls";
}

} // namespace
} // namespace orvane::system
