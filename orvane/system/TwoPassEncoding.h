#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/CodeMemory.h"
#include "orvane/system/CodeWriter.h"
#include "orvane/system/Program.h"

#include <cstdint>
#include <utility>

namespace orvane::system {

// Shared by the machine-code encoders: runs a fresh Emitter (constructed from a
// CodeWriter&, fed with command(const Command&), then finish()) over the command list once to
// measure the code, maps exactly that much, runs it again to write the code and record the labels,
// and seals the memory. The caller has checked the list.
template <class Emitter>
object::Pointer<Program> encodeInTwoPasses(const Assembler& assembler, Program::Machine machine) {
    const auto pass = [&assembler](CodeWriter& out, container::Array<Program::Label>* labels) {
        Emitter emitter(out);
        for (const Assembler::Command& command : assembler.getCommands()) {
            emitter.command(command); // may emit bytes that belong before a label
            if (command.type == Assembler::LABEL && labels)
                labels->add(Program::makeLabel(
                    assembler.getLabelNames()[static_cast<std::uint32_t>(command.operand1)],
                    out.offset()));
        }
        emitter.finish();
    };
    CodeWriter measure;
    pass(measure, nullptr);

    CodeMemory memory(measure.offset());
    CodeWriter writer(memory.writable());
    container::Array<Program::Label> labels;
    pass(writer, &labels);
    memory.seal();
    return object::Pointer<Program>::adopt(
        new Program(machine, std::move(memory), std::move(labels)));
}

} // namespace orvane::system
