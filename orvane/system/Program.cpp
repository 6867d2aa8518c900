#include "orvane/system/Program.h"

#include "orvane/system/ProgramException.h"

#include <cstring>
#include <utility>

namespace orvane::system {

std::uintptr_t Program::Entry::operator()() const {
    if (Function native = function())
        return native();
    return program->interpret(address);
}

Program::Function Program::Entry::function() const noexcept {
    if (program->machine != hostMachine || hostMachine == Machine::INTERPRETER)
        return nullptr;
    return reinterpret_cast<Function>(address);
}

Program::Program(Machine machine, CodeMemory memory, container::Array<Label> labels)
    : machine(machine)
    , memory(std::move(memory))
    , codeStart(this->memory.data())
    , codeSize(static_cast<std::uint32_t>(this->memory.size()))
    , granule(1)
    , labels(std::move(labels)) {
    makeLabelsAbsolute();
}

Program::Program(const unsigned char* code, std::uint32_t codeSize, std::uint32_t granule,
                 container::Array<Label> labels)
    : machine(Machine::INTERPRETER)
    , codeStart(code)
    , codeSize(codeSize)
    , granule(granule)
    , labels(std::move(labels)) {
    makeLabelsAbsolute();
}

Program::~Program() = default;

void Program::makeLabelsAbsolute() noexcept {
    for (Label& label : labels)
        label.address += reinterpret_cast<std::uintptr_t>(codeStart);
}

Program::Entry Program::entryAt(std::uintptr_t address) const {
    const auto start = reinterpret_cast<std::uintptr_t>(codeStart);
    if (address < start || address - start > codeSize || (address - start) % granule != 0)
        throw ProgramException("no entry of the program at this address");
    return Entry(this, address);
}

std::uintptr_t Program::findLabel(const char* name) const noexcept {
    for (const Label& label : labels)
        if (std::strncmp(label.name, name, labelNameSize) == 0)
            return label.address;
    return 0;
}

std::uintptr_t Program::interpret(std::uintptr_t) const {
    throw ProgramException("the program is machine code for another processor");
}

Program::Label Program::makeLabel(const types::String& name, std::uint32_t offset) noexcept {
    Label label;
    std::memset(label.name, 0, labelNameSize);
    std::memcpy(label.name, name.cString(),
                name.length() < labelNameSize ? name.length() : labelNameSize);
    label.address = offset;
    return label;
}

types::String Program::getClassName() const {
    return object::classPath(Object::getClassName(), ":Program");
}

} // namespace orvane::system
