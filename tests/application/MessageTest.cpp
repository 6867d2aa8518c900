#include "orvane/application/Message.h"
#include "orvane/application/MessageQueue.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane::application {
namespace {

class Tracked : public object::Object {
public:
    explicit Tracked(bool* destroyed)
        : destroyed(destroyed) {}
    ~Tracked() override { *destroyed = true; }

private:
    bool* destroyed;
};

TEST(MessageParameters, KeepOrderTypesAndValues) {
    Message message(7);
    message.addInteger("count", -3);
    message.addUnsigned("mask", 0xFFFFFFFFu);
    message.addFloat("ratio", 0.5f);
    message.addDouble("precise", 1e-300);
    message.addQuad("rect", {1, 2, 3, 4});
    message.addFloatPair("size", {5.5f, 6.5f});
    message.addInteger("count", 99); // a second one by the same name

    ASSERT_EQ(message.getParameters().count(), 6u + 1u);
    EXPECT_EQ(message.find("count")->value.integer, -3) << "the first match wins";
    EXPECT_EQ(message.find("mask")->type, Message::Parameter::UNSIGNED);
    EXPECT_EQ(message.find("mask")->value.unsignedInteger, 0xFFFFFFFFu);
    EXPECT_EQ(message.find("ratio")->value.real, 0.5f);
    EXPECT_EQ(message.find("precise")->value.doubleReal, 1e-300);
    EXPECT_EQ(message.find("rect")->value.words[3], 4);
    EXPECT_EQ(message.find("size")->value.reals[1], 6.5f);
    EXPECT_EQ(message.find("absent"), nullptr);
    EXPECT_EQ(message.find(nullptr), nullptr);
    EXPECT_EQ(message.findObject("count"), nullptr) << "not an object parameter";
}

TEST(MessageParameters, LongNamesAreCutAndMatchedOnTheirFirst48Characters) {
    std::string stored(48, 'n');
    std::string sixty = stored + "-twelve-more";
    std::string otherSixty = stored + "_different__";
    Message message;
    message.addInteger(sixty.c_str(), 1);
    const Message::Parameter* found = message.find(sixty.c_str());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found->name, sizeof found->name), stored);
    EXPECT_EQ(message.find(otherSixty.c_str()), found) << "only 48 characters count";
    EXPECT_EQ(message.find(stored.c_str()), found);
    EXPECT_EQ(message.find(stored.substr(0, 47).c_str()), nullptr) << "a shorter name differs";
}

TEST(MessageParameters, ObjectsAreHeldWhileAParameterHoldsThem) {
    bool destroyed = false;
    auto* object = new Tracked(&destroyed);
    {
        Message message;
        message.addObject("thing", object);
        EXPECT_EQ(object->getReferenceCount(), 2);
        Message* copy = Message::create(message);
        EXPECT_EQ(object->getReferenceCount(), 3) << "a copy holds it again";
        EXPECT_EQ(copy->findObject("thing"), object);
        Message::dispose(copy);
        EXPECT_EQ(object->getReferenceCount(), 2);
        object->release();
        EXPECT_FALSE(destroyed) << "the message still holds it";
    }
    EXPECT_TRUE(destroyed);
}

TEST(MessagePool, RecordsAreReusedAndCopiesStartAfresh) {
    Message* first = Message::create(1);
    first->addInteger("a", 1);
    Message::dispose(first);
    Message* second = Message::create(2);
    EXPECT_EQ(second, first) << "the freed record is handed out again";
    EXPECT_EQ(second->what, 2u);
    EXPECT_EQ(second->getParameters().count(), 0u);
    EXPECT_EQ(second->useCount, 1u);

    MessageQueue queue;
    queue.pushBack(second);
    EXPECT_EQ(second->useCount, 2u) << "the queue holds a share";
    Message* copy = Message::create(*second);
    EXPECT_EQ(copy->useCount, 1u);
    EXPECT_EQ(copy->queue, nullptr) << "a copy is in no queue";
    Message::release(copy); // its only share: back to the pool
    // The queue's destruction disposes of `second` with both its shares.
}

TEST(MessagePool, ManyMessagesGrowThePoolAndComeBack) {
    std::vector<Message*> made;
    for (int i = 0; i < 500; ++i) {
        made.push_back(Message::create(std::uint32_t(i)));
        made.back()->addInteger("i", i);
    }
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(made[std::size_t(i)]->find("i")->value.integer, i);
    for (Message* message : made)
        Message::dispose(message);
}

} // namespace
} // namespace orvane::application
