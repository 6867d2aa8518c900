#include "orvane/container/Queue.h"
#include "orvane/container/Allocator.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::container {
namespace {

// A pooled queue element in the way messages are: the pool gives it back on dispose.
struct Note : Queueable<Note> {
    explicit Note(int id)
        : id(id) {}
    ~Note() { ++destroyed; }

    static void dispose(Note* note) {
        ++disposed;
        pool->destroy(note);
    }

    int id;
    static inline Allocator<Note>* pool = nullptr;
    static inline int disposed = 0;
    static inline int destroyed = 0;
};

class QueueTest : public ::testing::Test {
protected:
    QueueTest() {
        Note::pool = &pool;
        Note::disposed = Note::destroyed = 0;
    }
    ~QueueTest() override { Note::pool = nullptr; }

    Note* make(int id) { return pool.create(id); }

    static std::vector<int> ids(const Queue<Note>& queue) {
        std::vector<int> seen;
        for (Note* note = queue.first(); note; note = note->next)
            seen.push_back(note->id);
        return seen;
    }

    Allocator<Note> pool;
};

TEST_F(QueueTest, PushingCountsAUseAndPoppingHandsItOver) {
    Queue<Note> queue;
    Note* a = make(1);
    Note* b = make(2);
    Note* c = make(3);
    EXPECT_TRUE(queue.pushBack(a));
    EXPECT_TRUE(queue.pushBack(b));
    EXPECT_TRUE(queue.pushFront(c));
    EXPECT_EQ(ids(queue), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(a->useCount, 2u);
    EXPECT_EQ(a->queue, &queue);
    EXPECT_EQ(queue.last(), b);

    EXPECT_FALSE(queue.pushBack(a)) << "an element waits in one queue at a time";
    Queue<Note> other;
    EXPECT_FALSE(other.pushFront(a));
    EXPECT_EQ(a->useCount, 2u);

    EXPECT_EQ(queue.popFront(), c);
    EXPECT_EQ(c->useCount, 2u) << "the taker inherits the queue's use";
    EXPECT_EQ(c->queue, nullptr);
    EXPECT_EQ(c->next, nullptr);
    EXPECT_FALSE(other.remove(a)) << "not that queue's element";
    EXPECT_TRUE(queue.remove(b));
    EXPECT_EQ(ids(queue), std::vector<int>{1});
    EXPECT_EQ(queue.last(), a);
    EXPECT_EQ(queue.popFront(), a);
    EXPECT_EQ(queue.popFront(), nullptr);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.getClassName(), "Object:Queue");
    for (Note* note : {a, b, c})
        pool.destroy(note);
}

TEST_F(QueueTest, ClearDisposesSoleUsesAndDecrementsShared) {
    Note* kept = make(1);
    Note* dropped = make(2);
    Note* survivor = make(3);
    dropped->useCount = 0; // handed to the queue outright: its use is the queue's only
    {
        Queue<Note> queue;
        queue.pushBack(kept);
        queue.pushBack(dropped);
        queue.pushBack(survivor); // use count 2: its maker still holds it
        EXPECT_EQ(queue.count(), 3u);
        queue.clear();
        EXPECT_TRUE(queue.isEmpty());
        EXPECT_EQ(Note::disposed, 1);
        EXPECT_EQ(kept->useCount, 1u);
        EXPECT_EQ(kept->queue, nullptr);
        EXPECT_EQ(survivor->useCount, 1u);

        queue.pushBack(kept);
        kept->useCount = 1; // its maker let go while it waited
    }                       // destroying the queue clears it
    EXPECT_EQ(Note::disposed, 2);
    EXPECT_EQ(Note::destroyed, 2);
    pool.destroy(survivor);
}

} // namespace
} // namespace orvane::container
