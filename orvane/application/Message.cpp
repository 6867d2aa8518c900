#include "orvane/application/Message.h"

#include "orvane/application/Handler.h"

#include "orvane/container/Allocator.h"
#include "orvane/system/Mutex.h"

#include <cstring>
#include <mutex>

namespace orvane::application {
namespace {

// The two process-wide record pools and the one lock that guards both. Records are taken
// and returned by whichever thread makes or finishes a message; they are never given
// back to the system while the process runs.
struct Pools {
    system::Mutex lock;
    container::Allocator<Message> messages;
    container::Allocator<Message::Parameter> parameters;
};

Pools& pools() {
    static auto* shared = new Pools; // never destroyed: messages may outlive static objects
    return *shared;
}

template <class T, class... Args>
T* makeFrom(container::Allocator<T>& pool, Args&&... args) {
    T* storage;
    {
        std::lock_guard guard(pools().lock);
        storage = pool.allocate();
    }
    return new (storage) T(std::forward<Args>(args)...);
}

template <class T>
void giveBack(container::Allocator<T>& pool, T* record) noexcept {
    record->~T();
    std::lock_guard guard(pools().lock);
    pool.free(record);
}

} // namespace

Message::Message(const Message& other)
    : container::Queueable<Message>()
    , what(other.what)
    , target(other.target) {
    for (const Parameter* parameter : other.parameters)
        parameters.add(makeFrom(pools().parameters, *parameter));
}

Message::~Message() {
    destroyParameters();
}

Message* Message::create(std::uint32_t what) {
    return makeFrom(pools().messages, what);
}

Message* Message::create(const Message& other) {
    return makeFrom(pools().messages, other);
}

void Message::dispose(Message* message) noexcept {
    if (!message)
        return;
    Handler* held = message->heldTarget;
    giveBack(pools().messages, message);
    if (held)
        held->release();
}

void Message::holdTarget() noexcept {
    if (!target || heldTarget)
        return;
    target->retain();
    heldTarget = target;
}

void Message::release(Message* message) noexcept {
    if (message->useCount >= 2)
        --message->useCount;
    else
        dispose(message);
}

void Message::destroyParameters() noexcept {
    while (Parameter* parameter = parameters.first()) {
        parameters.remove(parameter);
        giveBack(pools().parameters, parameter);
    }
}

Message::Parameter* Message::append(const char* name, std::int32_t type) {
    Parameter* parameter = makeFrom(pools().parameters, name, type);
    parameters.add(parameter);
    return parameter;
}

Message::Parameter* Message::addInteger(const char* name, std::int32_t value) {
    Parameter* parameter = append(name, Parameter::INTEGER);
    parameter->value.integer = value;
    return parameter;
}

Message::Parameter* Message::addUnsigned(const char* name, std::uint32_t value) {
    Parameter* parameter = append(name, Parameter::UNSIGNED);
    parameter->value.unsignedInteger = value;
    return parameter;
}

Message::Parameter* Message::addFloat(const char* name, float value) {
    Parameter* parameter = append(name, Parameter::FLOAT);
    parameter->value.real = value;
    return parameter;
}

Message::Parameter* Message::addDouble(const char* name, double value) {
    Parameter* parameter = append(name, Parameter::DOUBLE);
    parameter->value.doubleReal = value;
    return parameter;
}

Message::Parameter* Message::addObject(const char* name, object::Object* value) {
    Parameter* parameter = append(name, Parameter::OBJECT);
    if (value)
        value->retain();
    parameter->value.object = value;
    return parameter;
}

Message::Parameter* Message::addQuad(const char* name, const std::int32_t (&value)[4]) {
    Parameter* parameter = append(name, Parameter::QUAD);
    std::memcpy(parameter->value.words, value, sizeof value);
    return parameter;
}

Message::Parameter* Message::addPair(const char* name, const std::int32_t (&value)[2]) {
    Parameter* parameter = append(name, Parameter::PAIR);
    std::memcpy(parameter->value.words, value, sizeof value);
    return parameter;
}

Message::Parameter* Message::addFloatQuad(const char* name, const float (&value)[4]) {
    Parameter* parameter = append(name, Parameter::FLOAT_QUAD);
    std::memcpy(parameter->value.reals, value, sizeof value);
    return parameter;
}

Message::Parameter* Message::addFloatPair(const char* name, const float (&value)[2]) {
    Parameter* parameter = append(name, Parameter::FLOAT_PAIR);
    std::memcpy(parameter->value.reals, value, sizeof value);
    return parameter;
}

const Message::Parameter* Message::find(const char* name) const noexcept {
    for (const Parameter* parameter : parameters)
        if (parameter->isNamed(name))
            return parameter;
    return nullptr;
}

object::Object* Message::findObject(const char* name) const noexcept {
    const Parameter* parameter = find(name);
    return parameter && parameter->type == Parameter::OBJECT ? parameter->value.object : nullptr;
}

Message::Parameter::Parameter(const char* name, std::int32_t type) noexcept
    : type(type) {
    std::memset(this->name, 0, sizeof this->name);
    if (name)
        std::memcpy(this->name, name, strnlen(name, sizeof this->name));
}

Message::Parameter::Parameter(const Parameter& other) noexcept
    : container::Chainable<Parameter>()
    , type(other.type)
    , value(other.value) {
    std::memcpy(name, other.name, sizeof name);
    if (type == OBJECT && value.object)
        value.object->retain();
}

Message::Parameter::~Parameter() {
    if (type == OBJECT && value.object)
        value.object->release();
}

bool Message::Parameter::isNamed(const char* wanted) const noexcept {
    return wanted && std::strncmp(name, wanted, sizeof name) == 0;
}

} // namespace orvane::application
