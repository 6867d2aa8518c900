#pragma once

#include "orvane/object/Object.h"

namespace orvane::test {

// Counts constructions and destructions of live instances so that container tests can
// prove that every element is made and destroyed exactly once.
struct Counted {
    static inline int alive = 0;
    static inline int constructed = 0;
    static inline int destroyed = 0;
    static void resetCounts() { alive = constructed = destroyed = 0; }

    int value = 0;

    Counted() { made(); }
    explicit Counted(int v)
        : value(v) {
        made();
    }
    Counted(const Counted& other)
        : value(other.value) {
        made();
    }
    Counted(Counted&& other) noexcept
        : value(other.value) {
        made();
    }
    Counted& operator=(const Counted&) = default;
    ~Counted() {
        --alive;
        ++destroyed;
    }
    friend bool operator==(const Counted& a, const Counted& b) { return a.value == b.value; }
    friend bool operator<(const Counted& a, const Counted& b) { return a.value < b.value; }

private:
    void made() {
        ++alive;
        ++constructed;
    }
};

// An engine object that records its own destruction.
class Tracked : public object::Object {
public:
    explicit Tracked(int* destructions = nullptr)
        : destructions(destructions) {}
    ~Tracked() override {
        if (destructions)
            ++*destructions;
    }

private:
    int* destructions;
};

} // namespace orvane::test
