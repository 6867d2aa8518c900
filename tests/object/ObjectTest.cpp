#include "orvane/object/Object.h"
#include "orvane/object/Class.h"
#include "orvane/object/Exception.h"
#include "orvane/object/Pointer.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

namespace orvane::object {
namespace {

using test::Tracked;

ORVANE_EXCEPTION(SampleException, Exception);
ORVANE_EXCEPTION(DerivedSampleException, SampleException);

class Named : public Object {
public:
    types::String getClassName() const override {
        return classPath(Object::getClassName(), ":Named");
    }
};

TEST(ObjectReferenceCount, NewObjectHasOneReferenceAndLastReleaseDestroys) {
    int destructions = 0;
    auto* object = new Tracked(&destructions);
    EXPECT_EQ(object->getReferenceCount(), 1);
    object->retain();
    object->release();
    EXPECT_EQ(object->getReferenceCount(), 1);
    EXPECT_EQ(destructions, 0);
    object->release();
    EXPECT_EQ(destructions, 1);
}

TEST(ObjectReferenceCount, CopyAndAssignmentCarryNoCount) {
    Tracked source;
    source.retain();
    source.retain();
    Tracked copy(source);
    EXPECT_EQ(source.getReferenceCount(), 3);
    EXPECT_EQ(copy.getReferenceCount(), 1);
    copy = source;
    EXPECT_EQ(copy.getReferenceCount(), 1);
}

TEST(ObjectClassPath, ChainsFromTheRoot) {
    Object plain;
    EXPECT_EQ(plain.getClassName(), "Object");
    EXPECT_EQ(plain.getClass().getName(), "Object");
    EXPECT_EQ(plain.getName(), "Object");
    EXPECT_EQ(plain.toString(), "Object");
    EXPECT_TRUE(plain.check());

    Named named;
    EXPECT_EQ(named.getClassName(), "Object:Named");
    EXPECT_EQ(named.getName(), "Object:Named");
    EXPECT_EQ(types::String("x").getClassName(), "Object:String");

    Class described(named);
    EXPECT_EQ(described.toString(), "Object:Named");
    EXPECT_EQ(described.getClassName(), "Object:Class");
    Class copied(described);
    EXPECT_EQ(copied.getName(), "Object:Named");
}

TEST(ObjectException, MessageNameAndPath) {
    Exception error("abc");
    EXPECT_EQ(error.getName(), "Exception");
    EXPECT_EQ(error.toString(), "abc");
    EXPECT_EQ(error.getClassName(), "Object:Exception");

    DerivedSampleException derived;
    EXPECT_EQ(derived.toString(), "DerivedSampleException");
    EXPECT_EQ(derived.getName(), "DerivedSampleException");
    EXPECT_EQ(derived.getClassName(), "Object:Exception:SampleException:DerivedSampleException");
}

TEST(ObjectException, CatchableAsEveryAncestor) {
    auto throwDerived = [] { throw DerivedSampleException("why"); };
    EXPECT_THROW(throwDerived(), DerivedSampleException);
    EXPECT_THROW(throwDerived(), SampleException);
    EXPECT_THROW(throwDerived(), Exception);
    try {
        throwDerived();
    } catch (const Object& caught) {
        EXPECT_EQ(caught.toString(), "why");
        EXPECT_EQ(caught.getName(), "DerivedSampleException");
    }
}

TEST(ObjectPointer, RetainsNewTargetBeforeReleasingOld) {
    int destructions = 0;
    auto* object = new Tracked(&destructions);
    {
        Pointer<Tracked> a(object);
        EXPECT_EQ(object->getReferenceCount(), 2);
        a = object; // self-assignment through the raw pointer
        a = a;      // and through the pointer itself
        EXPECT_EQ(object->getReferenceCount(), 2);
        Pointer<Tracked> b = a;
        Pointer<Tracked> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(object->getReferenceCount(), 3);
        EXPECT_TRUE(a == c);
    }
    EXPECT_EQ(object->getReferenceCount(), 1);
    object->release();
    EXPECT_EQ(destructions, 1);
}

// A singly linked node that owns the rest of its list.
class Node : public Tracked {
public:
    using Tracked::Tracked;
    Pointer<Node> next;
};

TEST(ObjectPointer, AssignmentFromInsideTheOldTargetKeepsTheSource) {
    int destructions = 0;
    // Built from the tail: each node is held only by its predecessor (the head by `head`).
    Pointer<Node> head;
    for (int i = 0; i < 4; ++i) {
        auto node = Pointer<Node>::adopt(new Node(&destructions));
        node->next = std::move(head);
        head = std::move(node);
    }
    Node* second = head->next.get();
    head = std::move(head->next); // pops the head: the source lives in the node let go
    EXPECT_EQ(destructions, 1);
    ASSERT_EQ(head.get(), second);
    EXPECT_EQ(second->getReferenceCount(), 1);

    Node* third = head->next.get();
    head = head->next; // the same by copy
    EXPECT_EQ(destructions, 2);
    ASSERT_EQ(head.get(), third);
    head = head->next.get(); // and through the raw pointer
    EXPECT_EQ(destructions, 3);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->getReferenceCount(), 1);
    head = nullptr;
    EXPECT_EQ(destructions, 4);
}

TEST(ObjectPointer, AdoptAndMakeTakeTheCreationReference) {
    int destructions = 0;
    {
        auto adopted = Pointer<Tracked>::adopt(new Tracked(&destructions));
        EXPECT_EQ(adopted->getReferenceCount(), 1);
        auto made = make<Tracked>(&destructions);
        EXPECT_EQ(made->getReferenceCount(), 1);
        Pointer<Object> widened = made;
        EXPECT_EQ(made->getReferenceCount(), 2);
        made = nullptr;
        EXPECT_EQ(destructions, 0);
    }
    EXPECT_EQ(destructions, 2);
}

TEST(ObjectPointer, OrdersByAddress) {
    Tracked objects[2];
    Pointer<Tracked> low(&objects[0]), high(&objects[1]), none;
    EXPECT_TRUE(low < high);
    EXPECT_TRUE(none < low);
    EXPECT_TRUE(none == nullptr);
    low = nullptr;
    high = nullptr;
}

} // namespace
} // namespace orvane::object
