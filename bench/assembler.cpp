// One thousand calls of an empty function with three arguments: as a native program, as
// an interpreted program, and as a plain C++ loop over a table of function pointers.
// Each benchmark reports the time per call ("per_call").
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using orvane::system::Assembler;
using orvane::system::Program;
using Word = Assembler::Word;

constexpr int callsPerProgram = 1000;

__attribute__((noinline)) Word emptyFunction(Word, Word, Word) {
    benchmark::ClobberMemory();
    return 0;
}

orvane::object::Pointer<Program> thousandCalls(Program::Machine machine) {
    Assembler assembler;
    for (int i = 0; i < callsPerProgram; ++i)
        assembler.callCdecl3(&emptyFunction, i, i + 1, i + 2);
    assembler.ret();
    return assembler.assemble(machine);
}

void reportPerCall(benchmark::State& state) {
    state.counters["per_call"] =
        benchmark::Counter(callsPerProgram, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}

void nativeProgram(benchmark::State& state) {
    const auto program = thousandCalls(Program::hostMachine);
    const Program::Function entry = program->code().function();
    if (!entry) {
        state.SkipWithError("no native backend on this processor");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(entry());
    reportPerCall(state);
}
BENCHMARK(nativeProgram);

void interpretedProgram(benchmark::State& state) {
    const auto program = thousandCalls(Program::Machine::INTERPRETER);
    const Program::Entry entry = program->code();
    for (auto _ : state)
        benchmark::DoNotOptimize(entry());
    reportPerCall(state);
}
BENCHMARK(interpretedProgram);

struct TableEntry {
    Word (*function)(Word, Word, Word);
    Word a, b, c;
};

void functionPointerLoop(benchmark::State& state) {
    std::vector<TableEntry> table;
    for (int i = 0; i < callsPerProgram; ++i)
        table.push_back({&emptyFunction, Word(i), Word(i + 1), Word(i + 2)});
    benchmark::DoNotOptimize(table.data());
    for (auto _ : state) {
        for (const TableEntry& entry : table)
            benchmark::DoNotOptimize(entry.function(entry.a, entry.b, entry.c));
    }
    reportPerCall(state);
}
BENCHMARK(functionPointerLoop);

} // namespace
