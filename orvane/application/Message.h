#pragma once

#include "orvane/container/Chain.h"
#include "orvane/container/Queue.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::application {

class Handler;

// A unit of work addressed to a handler: a code (`what`), named parameters and a target.
//
// Messages that travel between threads are records drawn from a process-wide pool
// (create(), dispose()); messages delivered at once on the serving thread live on the
// stack. A pooled message starts with a use count of 1 (its maker's share); a queue that
// holds it adds one. The maker hands its share over with the message: the serving thread
// drops both shares once the message is handled, which returns the record to the pool.
//
// A pooled message that waits in a queue keeps its target alive (holdTarget(), called by
// the messenger that accepts it); dispose() lets go of the target, so a handler removed or
// released while a message for it is queued is destroyed only once that message is done.
//
// Parameters are records of their own pool, kept in insertion order. A message is never
// touched by two threads at once: after it is handed over only the serving thread uses it.
class Message : public container::Queueable<Message> {
public:
    // The application's quit message (addressed to the application itself).
    static constexpr std::uint32_t QUIT = 0x80000001;

    class Parameter;

    explicit Message(std::uint32_t what = 0) noexcept
        : what(what) {}
    // Copies the code, the target and every parameter (object parameters retain their
    // object once more); the copy is in no queue and has a use count of 1.
    Message(const Message& other);
    Message& operator=(const Message&) = delete;
    // Destroys the parameters (returning them to their pool).
    ~Message();

    // A pooled message with the given code, no parameters and no target.
    static Message* create(std::uint32_t what);
    // A pooled copy of a message (see the copy constructor).
    static Message* create(const Message& other);
    // Destroys a pooled message and returns its record to the pool, then lets go of the
    // target it held (which may destroy the target).
    static void dispose(Message* message) noexcept;
    // Drops one share: a message held more than once loses one use, the last share
    // disposes of it.
    static void release(Message* message) noexcept;

    std::uint32_t what;
    Handler* target = nullptr;

    // Retains the target until the message is disposed of; once per message. Copies of the
    // message do not hold it.
    void holdTarget() noexcept;

    // Parameters. Names are cut to Parameter::nameLength characters when stored and
    // compared on that many characters when looked up; the first match wins.
    Parameter* addInteger(const char* name, std::int32_t value);
    Parameter* addUnsigned(const char* name, std::uint32_t value);
    Parameter* addFloat(const char* name, float value);
    Parameter* addDouble(const char* name, double value);
    // Retains the object while the parameter exists.
    Parameter* addObject(const char* name, object::Object* value);
    Parameter* addQuad(const char* name, const std::int32_t (&value)[4]);
    Parameter* addPair(const char* name, const std::int32_t (&value)[2]);
    Parameter* addFloatQuad(const char* name, const float (&value)[4]);
    Parameter* addFloatPair(const char* name, const float (&value)[2]);

    const Parameter* find(const char* name) const noexcept;
    // The object of the parameter found by that name, or null when it holds no object.
    object::Object* findObject(const char* name) const noexcept;
    const container::Chain<Parameter>& getParameters() const noexcept { return parameters; }

private:
    Parameter* append(const char* name, std::int32_t type);
    void destroyParameters() noexcept;

    container::Chain<Parameter> parameters;
    Handler* heldTarget = nullptr; // retained by holdTarget()
};

// One named value of a message. The type says how wide the value is and how it is read.
class Message::Parameter : public container::Chainable<Parameter> {
public:
    static constexpr int nameLength = 48;

    enum Type : std::int32_t {
        INTEGER = 1,    // one signed 32-bit word
        UNSIGNED = 2,   // one unsigned 32-bit word
        FLOAT = 3,      // one 32-bit float
        DOUBLE = 4,     // one 64-bit float
        OBJECT = 5,     // an object, retained while the parameter exists
        QUAD = 6,       // four signed 32-bit words (a rectangle)
        PAIR = 7,       // two signed 32-bit words (a point or a size)
        FLOAT_QUAD = 8, // four floats
        FLOAT_PAIR = 9, // two floats
    };

    Parameter(const char* name, std::int32_t type) noexcept;
    // Copies name, type and value; an object value is retained again.
    Parameter(const Parameter& other) noexcept;
    Parameter& operator=(const Parameter&) = delete;
    // Releases an object value.
    ~Parameter();

    // Whether the stored name equals the given one on their first nameLength characters.
    bool isNamed(const char* name) const noexcept;

    std::int32_t type;
    char name[nameLength]; // zero-padded; not terminated when all 48 are used
    union Value {
        std::int32_t integer;
        std::uint32_t unsignedInteger;
        float real;
        double doubleReal;
        object::Object* object;
        std::int32_t words[4];
        float reals[4];
    } value{};
};

} // namespace orvane::application
