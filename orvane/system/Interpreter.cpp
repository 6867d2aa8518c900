#include "orvane/system/Interpreter.h"

#include "orvane/container/Array.h"
#include "orvane/system/CallingConvention.h"
#include "orvane/system/ProgramException.h"

#include <cstring>
#include <utility>

namespace orvane::system {

namespace {
using Word = Interpreter::Word;
using Step = Interpreter::Step;
using Command = Assembler::Command;

// Programs made by the interpreter: the steps are the code.
class InterpretedProgram : public Program {
public:
    InterpretedProgram(container::Array<Step> made, container::Array<Label> labels)
        : Program(reinterpret_cast<const unsigned char*>(made.data()),
                  static_cast<std::uint32_t>((made.count() - 1) * sizeof(Step)), sizeof(Step),
                  std::move(labels))
        , steps(std::move(made)) {}

protected:
    std::uintptr_t interpret(std::uintptr_t address) const override {
        return Interpreter::run(reinterpret_cast<const Step*>(address));
    }

private:
    container::Array<Step> steps; // ends with an END step, past the code
};

// Resolves the emitter state of the command list into self-contained steps.
class Translator {
public:
    void command(const Command& c, const container::Array<types::String>& labelNames) {
        switch (c.type) {
        case Assembler::ARGUMENT:
            pending[pendingCount++] = c.operand1;
            return;
        case Assembler::SET_THIS:
            receiver = c.operand1;
            return;
        case Assembler::LABEL:
            labels.add(Program::makeLabel(labelNames[static_cast<std::uint32_t>(c.operand1)],
                                          steps.count() * sizeof(Step)));
            return;
        case Assembler::CALL_THIS:
        case Assembler::CALL_STANDARD:
        case Assembler::CALL_CDECL:
            steps.add(call(c));
            return;
        default:
            if (c.type >= Assembler::RETURN && c.type <= Assembler::STORE_INDEXED)
                steps.add(Step{c.type, 0, c.operand1, c.operand2, c.operand3, {}});
            return; // unknown codes do nothing
        }
    }

    object::Pointer<Program> finish() {
        steps.add(Step{});
        return object::Pointer<Program>::adopt(
            new InterpretedProgram(std::move(steps), std::move(labels)));
    }

private:
    Step call(const Command& c) {
        Step step{c.type, 0, c.operand1, 0, 0, {}};
        if (c.type == Assembler::CALL_THIS)
            step.arguments[step.argumentCount++] = receiver;
        for (std::uint32_t i = 0; i < pendingCount; ++i)
            step.arguments[step.argumentCount++] = pending[i];
        pendingCount = 0;
        return step;
    }

    container::Array<Step> steps;
    container::Array<Program::Label> labels;
    Word pending[Assembler::maximumArguments] = {};
    std::uint32_t pendingCount = 0;
    Word receiver = 0;
};

struct CdeclCall {
    template <class... Words>
    static Word call(Word function, Words... arguments) {
        return reinterpret_cast<Word (*)(Words...)>(function)(arguments...);
    }
};
struct StandardCall {
    template <class... Words>
    static Word call(Word function, Words... arguments) {
        return reinterpret_cast<Word(ORVANE_STDCALL*)(Words...)>(function)(arguments...);
    }
};
struct ThisCall {
    template <class... Words>
    static Word call(Word function, Words... arguments) {
        return reinterpret_cast<Word(ORVANE_THISCALL*)(Words...)>(function)(arguments...);
    }
};

template <class Convention>
Word callWith(const Step& step) {
    const Word f = step.operand1;
    const Word* a = step.arguments;
    switch (step.argumentCount) {
    case 0:
        return Convention::call(f);
    case 1:
        return Convention::call(f, a[0]);
    case 2:
        return Convention::call(f, a[0], a[1]);
    case 3:
        return Convention::call(f, a[0], a[1], a[2]);
    case 4:
        return Convention::call(f, a[0], a[1], a[2], a[3]);
    case 5:
        return Convention::call(f, a[0], a[1], a[2], a[3], a[4]);
    default:
        return Convention::call(f, a[0], a[1], a[2], a[3], a[4], a[5]);
    }
}

Word loadWord(Word address) noexcept {
    Word value;
    std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
    return value;
}

void storeWord(Word address, Word value) noexcept {
    std::memcpy(reinterpret_cast<void*>(address), &value, sizeof value);
}

// The run's stack; ESP holds real addresses into it, so programs may copy it around as
// they would the machine's.
class Stack {
public:
    Stack() noexcept {} // the words are left as they are: a run writes before it reads
    Word top() const noexcept { return reinterpret_cast<Word>(words + Interpreter::stackWords); }

    Word* slot(Word address) {
        const Word first = reinterpret_cast<Word>(words);
        if (address < first || address >= top() || (address - first) % sizeof(Word) != 0)
            throw ProgramException("the interpreted program left its stack");
        return words + (address - first) / sizeof(Word);
    }

private:
    Word words[Interpreter::stackWords];
};
} // namespace

object::Pointer<Program> Interpreter::assemble(const Assembler& assembler) {
    if (assembler.findFault())
        return nullptr;
    Translator translator;
    for (const Command& command : assembler.getCommands())
        translator.command(command, assembler.getLabelNames());
    return translator.finish();
}

Word Interpreter::run(const Step* step) {
    Stack stack;
    Word r[Assembler::registerCount] = {};
    r[Assembler::ESP] = stack.top();
    for (;; ++step) {
        const Word a = step->operand1, b = step->operand2, c = step->operand3;
        switch (step->code) {
        case Assembler::CALL_THIS:
            r[Assembler::EAX] = callWith<ThisCall>(*step);
            break;
        case Assembler::CALL_STANDARD:
            r[Assembler::EAX] = callWith<StandardCall>(*step);
            break;
        case Assembler::CALL_CDECL:
            r[Assembler::EAX] = callWith<CdeclCall>(*step);
            break;
        case Assembler::PUSH: {
            const Word value = r[a];
            *stack.slot(r[Assembler::ESP] - sizeof(Word)) = value;
            r[Assembler::ESP] -= sizeof(Word);
            break;
        }
        case Assembler::POP: {
            const Word value = *stack.slot(r[Assembler::ESP]);
            r[Assembler::ESP] += sizeof(Word);
            r[a] = value;
            break;
        }
        case Assembler::MOVE_REGISTER:
            r[a] = r[b];
            break;
        case Assembler::MOVE_IMMEDIATE:
            r[a] = b;
            break;
        case Assembler::LOAD_ABSOLUTE:
            r[a] = loadWord(b);
            break;
        case Assembler::LOAD_INDIRECT:
            r[a] = loadWord(r[b]);
            break;
        case Assembler::LOAD_INDEXED:
            r[a] = loadWord(r[b] + c);
            break;
        case Assembler::STORE_ABSOLUTE:
            storeWord(a, r[b]);
            break;
        case Assembler::STORE_INDIRECT:
            storeWord(r[a], r[b]);
            break;
        case Assembler::STORE_INDEXED:
            storeWord(r[a] + b, r[c]);
            break;
        default: // RETURN and END
            return r[Assembler::EAX];
        }
    }
}

} // namespace orvane::system
