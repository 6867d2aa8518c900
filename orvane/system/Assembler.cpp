#include "orvane/system/Assembler.h"

#include "orvane/system/Ia32Encoder.h"
#include "orvane/system/Interpreter.h"
#include "orvane/system/X64Encoder.h"

#include <cassert>

namespace orvane::system {

namespace {
using Word = Assembler::Word;

bool isRegister(Word value) noexcept {
    return value < Word(Assembler::registerCount);
}

// Without a SIB byte, ModRM cannot name ESP as a plain base, and names an absolute
// address instead of EBP when there is no displacement.
bool isAddressRegister(Word value) noexcept {
    return isRegister(value) && value != Assembler::ESP && value != Assembler::EBP;
}
bool isBaseRegister(Word value) noexcept {
    return isRegister(value) && value != Assembler::ESP;
}

Assembler::Fault::Kind registersValid(bool valid) noexcept {
    return valid ? Assembler::Fault::NONE : Assembler::Fault::BAD_REGISTER;
}
} // namespace

Assembler::Fault::Kind Assembler::checkCommand(const Command& command, std::uint32_t labelCount,
                                               CheckState& state) {
    const Word a = command.operand1, b = command.operand2, c = command.operand3;
    switch (command.type) {
    case CALL_THIS:
        if (!state.receiverSet)
            return Fault::NO_RECEIVER;
        [[fallthrough]];
    case CALL_STANDARD:
    case CALL_CDECL:
        state.pendingArguments = 0;
        return Fault::NONE;
    case ARGUMENT: // the sixth is a fault even if no call ever takes it
        if (state.pendingArguments == maximumArguments)
            return Fault::TOO_MANY_ARGUMENTS;
        ++state.pendingArguments;
        return Fault::NONE;
    case SET_THIS:
        state.receiverSet = true;
        return Fault::NONE;
    case PUSH:
    case POP:
    case MOVE_IMMEDIATE:
    case LOAD_ABSOLUTE:
        return registersValid(isRegister(a));
    case MOVE_REGISTER:
        return registersValid(isRegister(a) && isRegister(b));
    case STORE_ABSOLUTE:
        return registersValid(isRegister(b));
    case LOAD_INDIRECT:
        if (!isRegister(a) || !isRegister(b))
            return Fault::BAD_REGISTER;
        return isAddressRegister(b) ? Fault::NONE : Fault::BAD_ADDRESS_REGISTER;
    case STORE_INDIRECT:
        if (!isRegister(a) || !isRegister(b))
            return Fault::BAD_REGISTER;
        return isAddressRegister(a) ? Fault::NONE : Fault::BAD_ADDRESS_REGISTER;
    case LOAD_INDEXED:
        if (!isRegister(a) || !isRegister(b))
            return Fault::BAD_REGISTER;
        return isBaseRegister(b) ? Fault::NONE : Fault::BAD_BASE_REGISTER;
    case STORE_INDEXED:
        if (!isRegister(a) || !isRegister(c))
            return Fault::BAD_REGISTER;
        return isBaseRegister(a) ? Fault::NONE : Fault::BAD_BASE_REGISTER;
    case LABEL:
        return a < labelCount ? Fault::NONE : Fault::BAD_LABEL;
    default: // RETURN, and unknown codes, which every backend skips
        return Fault::NONE;
    }
}

Assembler::Fault Assembler::findFault() const {
    CheckState walk;
    for (std::uint32_t i = 0; i < commands.count(); ++i) {
        const Fault::Kind kind = checkCommand(commands[i], labelNames.count(), walk);
        if (kind != Fault::NONE)
            return Fault{kind, i};
    }
    return Fault{};
}

void Assembler::append(std::int32_t type, Word operand1, Word operand2, Word operand3) {
    add(Command{type, operand1, operand2, operand3});
}

void Assembler::appendChecked(std::int32_t type, Word operand1, Word operand2, Word operand3) {
#ifndef NDEBUG
    CheckState probe = state;
    const Fault::Kind kind =
        checkCommand(Command{type, operand1, operand2, operand3}, labelNames.count(), probe);
    assert(kind == Fault::NONE && "invalid assembler command");
#endif
    append(type, operand1, operand2, operand3);
}

void Assembler::add(const Command& command) {
    checkCommand(command, labelNames.count(), state);
    commands.add(command);
}

void Assembler::callThis(Operand function) {
    appendChecked(CALL_THIS, function.value());
}
void Assembler::callStandard(Operand function) {
    appendChecked(CALL_STANDARD, function.value());
}
void Assembler::callCdecl(Operand function) {
    appendChecked(CALL_CDECL, function.value());
}
void Assembler::ret() {
    appendChecked(RETURN);
}
void Assembler::argument(Operand value) {
    appendChecked(ARGUMENT, value.value());
}
void Assembler::setThis(Operand object) {
    appendChecked(SET_THIS, object.value());
}
void Assembler::push(int reg) {
    appendChecked(PUSH, Word(reg));
}
void Assembler::pop(int reg) {
    appendChecked(POP, Word(reg));
}

void Assembler::moveRegister(int destination, int source) {
    appendChecked(MOVE_REGISTER, Word(destination), Word(source));
}
void Assembler::moveImmediate(int reg, Operand value) {
    appendChecked(MOVE_IMMEDIATE, Word(reg), value.value());
}
void Assembler::loadAbsolute(int reg, Operand address) {
    appendChecked(LOAD_ABSOLUTE, Word(reg), address.value());
}
void Assembler::loadIndirect(int destination, int addressRegister) {
    appendChecked(LOAD_INDIRECT, Word(destination), Word(addressRegister));
}
void Assembler::loadIndexed(int destination, int base, Operand displacement) {
    appendChecked(LOAD_INDEXED, Word(destination), Word(base), displacement.value());
}
void Assembler::storeAbsolute(Operand address, int source) {
    appendChecked(STORE_ABSOLUTE, address.value(), Word(source));
}
void Assembler::storeIndirect(int addressRegister, int source) {
    appendChecked(STORE_INDIRECT, Word(addressRegister), Word(source));
}
void Assembler::storeIndexed(int base, Operand displacement, int source) {
    appendChecked(STORE_INDEXED, Word(base), displacement.value(), Word(source));
}

void Assembler::label(const types::String& name) {
    labelNames.add(name);
    appendChecked(LABEL, labelNames.count() - 1);
}

void Assembler::callStandard1(Operand function, Operand a) {
    argument(a);
    callStandard(function);
}
void Assembler::callStandard2(Operand function, Operand a, Operand b) {
    argument(a);
    argument(b);
    callStandard(function);
}
void Assembler::callStandard3(Operand function, Operand a, Operand b, Operand c) {
    argument(a);
    argument(b);
    argument(c);
    callStandard(function);
}
void Assembler::callStandard4(Operand function, Operand a, Operand b, Operand c, Operand d) {
    argument(a);
    argument(b);
    argument(c);
    argument(d);
    callStandard(function);
}
void Assembler::callCdecl1(Operand function, Operand a) {
    argument(a);
    callCdecl(function);
}
void Assembler::callCdecl3(Operand function, Operand a, Operand b, Operand c) {
    argument(a);
    argument(b);
    argument(c);
    callCdecl(function);
}
void Assembler::callThisOn(Operand function, Operand object) {
    setThis(object);
    callThis(function);
}
void Assembler::callThisOn1(Operand function, Operand object, Operand a) {
    setThis(object);
    argument(a);
    callThis(function);
}

void Assembler::clear() {
    commands.clear();
    labelNames.clear();
    state = CheckState{};
}

object::Pointer<Program> Assembler::assemble() const {
    return assemble(Program::hostMachine);
}

object::Pointer<Program> Assembler::assemble(Program::Machine machine) const {
    switch (machine) {
    case Program::Machine::IA32:
        return Ia32Encoder::assemble(*this);
    case Program::Machine::X86_64:
        return X64Encoder::assemble(*this);
    case Program::Machine::INTERPRETER:
        break;
    }
    return Interpreter::assemble(*this);
}

types::String Assembler::getClassName() const {
    return object::classPath(Object::getClassName(), ":Assembler");
}

} // namespace orvane::system
