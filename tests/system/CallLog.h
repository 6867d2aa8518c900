#pragma once

#include "orvane/system/Assembler.h"
#include "orvane/system/CallingConvention.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace orvane::test {

// Recording functions for generated code: each appends what it was called with to one
// log and answers a value derived from it, so that later commands can use EAX.
// The log is per process; tests that use it start with CallLog::reset().
using Word = system::Assembler::Word;

enum class CallKind { THIS, STANDARD, CDECL };

struct Call {
    CallKind kind;
    int function;            // which recorder
    std::vector<Word> words; // the receiver first for THIS, then the arguments

    friend bool operator==(const Call&, const Call&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Call& call) {
        static const char* const kinds[] = {"this", "standard", "cdecl"};
        out << kinds[static_cast<int>(call.kind)] << ' ' << call.function << '(' << std::hex;
        for (std::size_t i = 0; i < call.words.size(); ++i)
            out << (i ? ", 0x" : "0x") << call.words[i];
        return out << std::dec << ')';
    }
};

struct CallLog {
    static inline std::vector<Call> calls;
    static void reset() { calls.clear(); }

    static Word record(CallKind kind, int function, std::vector<Word> words) {
        calls.push_back(Call{kind, function, std::move(words)});
        return resultOf(calls.back());
    }
    // What record() answered for this call.
    static Word resultOf(const Call& call) {
        Word result =
            0x5EED + static_cast<Word>(call.kind) * 131 + static_cast<Word>(call.function);
        for (Word w : call.words)
            result = result * 1000003u ^ w;
        return result;
    }
};

template <int Id, class... Words>
Word recordCdecl(Words... words) {
    return CallLog::record(CallKind::CDECL, Id, {words...});
}
template <int Id, class... Words>
Word ORVANE_STDCALL recordStandard(Words... words) {
    return CallLog::record(CallKind::STANDARD, Id, {words...});
}
template <int Id, class... Words>
Word ORVANE_THISCALL recordThis(Word receiver, Words... words) {
    return CallLog::record(CallKind::THIS, Id, {receiver, words...});
}

template <class T, std::size_t>
using Repeat = T;

// The recorder Id of the given kind that takes exactly `arity` arguments (not counting
// the receiver), as an address for an operand.
template <int Id, std::size_t... I>
Word recorderAddress(CallKind kind, std::index_sequence<I...>) {
    switch (kind) {
    case CallKind::THIS:
        return reinterpret_cast<Word>(&recordThis<Id, Repeat<Word, I>...>);
    case CallKind::STANDARD:
        return reinterpret_cast<Word>(&recordStandard<Id, Repeat<Word, I>...>);
    default:
        return reinterpret_cast<Word>(&recordCdecl<Id, Repeat<Word, I>...>);
    }
}

template <int Id>
Word recorder(CallKind kind, std::size_t arity) {
    switch (arity) {
    case 0:
        return recorderAddress<Id>(kind, std::make_index_sequence<0>());
    case 1:
        return recorderAddress<Id>(kind, std::make_index_sequence<1>());
    case 2:
        return recorderAddress<Id>(kind, std::make_index_sequence<2>());
    case 3:
        return recorderAddress<Id>(kind, std::make_index_sequence<3>());
    case 4:
        return recorderAddress<Id>(kind, std::make_index_sequence<4>());
    default:
        return recorderAddress<Id>(kind, std::make_index_sequence<5>());
    }
}

// Adds a call of the recorder Id of the given kind with these arguments; the receiver
// must have been set for THIS.
template <int Id>
void addRecordedCall(system::Assembler& assembler, CallKind kind, const std::vector<Word>& args) {
    for (Word w : args)
        assembler.argument(w);
    const Word function = recorder<Id>(kind, args.size());
    if (kind == CallKind::THIS)
        assembler.callThis(function);
    else if (kind == CallKind::STANDARD)
        assembler.callStandard(function);
    else
        assembler.callCdecl(function);
}

} // namespace orvane::test
