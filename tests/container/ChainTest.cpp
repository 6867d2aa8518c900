#include "orvane/container/Chain.h"
#include "tests/support/Counted.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::container {
namespace {

class Member : public object::Object, public Chainable<Member> {
public:
    Member(int id, int* destructions)
        : id(id)
        , destructions(destructions) {}
    ~Member() override { ++*destructions; }
    int id;

private:
    int* destructions;
};

struct Record : Chainable<Record> {
    int id = 0;
};

std::vector<int> ids(const Chain<Member>& chain) {
    std::vector<int> seen;
    for (Member* member : chain)
        seen.push_back(member->id);
    return seen;
}

TEST(ChainMembership, AddRetainsAndKeepsOrder) {
    int destructions = 0;
    Chain<Member> chain;
    for (int i = 0; i < 3; ++i) {
        auto* member = new Member(i, &destructions);
        chain.add(member);
        EXPECT_EQ(member->getReferenceCount(), 2);
        member->release();
    }
    EXPECT_EQ(chain.count(), 3u);
    EXPECT_EQ(ids(chain), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(chain.first()->id, 0);
    EXPECT_EQ(chain.last()->id, 2);
    EXPECT_EQ(chain.next(chain.first())->id, 1);
    EXPECT_EQ(chain.previous(chain.first()), nullptr);
    EXPECT_EQ(chain.next(chain.last()), nullptr);
    chain.clear();
    EXPECT_EQ(destructions, 3);
    EXPECT_EQ(chain.first(), nullptr);
    EXPECT_EQ(chain.count(), 0u);
}

TEST(ChainMembership, RemoveOnlyFromTheOwningChain) {
    int destructions = 0;
    Chain<Member> mine, theirs;
    Member member(1, &destructions);
    member.retain(); // stack object: the chain's release must not destroy it
    EXPECT_TRUE(theirs.add(&member));
    EXPECT_FALSE(mine.add(&member)) << "an element sits in one chain at a time";
    EXPECT_FALSE(mine.remove(&member));
    EXPECT_EQ(theirs.count(), 1u);
    EXPECT_TRUE(theirs.contains(&member));
    EXPECT_FALSE(mine.contains(&member));
    EXPECT_TRUE(theirs.remove(&member));
    EXPECT_FALSE(member.isChained());
    EXPECT_EQ(member.getReferenceCount(), 2);
    EXPECT_TRUE(mine.add(&member));
    mine.remove(&member);
    EXPECT_EQ(destructions, 0);
}

TEST(ChainMembership, DestroyedMemberLeavesItsChain) {
    int destructions = 0;
    Chain<Member> chain;
    auto* a = new Member(1, &destructions);
    auto* b = new Member(2, &destructions);
    chain.add(a);
    chain.add(b);
    delete a; // dies while linked, bypassing the count
    EXPECT_EQ(chain.count(), 1u);
    EXPECT_EQ(ids(chain), (std::vector<int>{2}));
    b->release();
    chain.clear();
    EXPECT_EQ(destructions, 2);
}

TEST(ChainMembership, PlainRecordsAreLinkedWithoutCounting) {
    Record records[3];
    Chain<Record> chain;
    for (int i = 0; i < 3; ++i) {
        records[i].id = i;
        chain.add(&records[i]);
    }
    chain.remove(&records[1]);
    EXPECT_EQ(chain.first()->id, 0);
    EXPECT_EQ(chain.next(chain.first())->id, 2);
    EXPECT_EQ(chain.getClassName(), "Object:Chain");
    chain.clear();
    EXPECT_FALSE(records[0].isChained());
}

} // namespace
} // namespace orvane::container
