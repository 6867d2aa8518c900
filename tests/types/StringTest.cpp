#include "orvane/types/String.h"
#include "orvane/object/Class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace orvane::types {
namespace {

TEST(StringCapacity, FollowsTheQuarterStepRule) {
    EXPECT_EQ(String::capacityFor(0), 0u);
    EXPECT_EQ(String::capacityFor(1), 64u);
    EXPECT_EQ(String::capacityFor(63), 64u);
    EXPECT_EQ(String::capacityFor(64), 80u);
    EXPECT_EQ(String::capacityFor(79), 80u);
    EXPECT_EQ(String::capacityFor(80), 96u);
    EXPECT_EQ(String::capacityFor(100), 112u);
    EXPECT_EQ(String::capacityFor(128), 160u);
    EXPECT_EQ(String::capacityFor(200), 224u);
    EXPECT_EQ(String::capacityFor(255), 256u);
    EXPECT_EQ(String::capacityFor(0x10000000u), 0x14000000u);
    // Above bit 28 the step stays 2^26 and the terminator still fits.
    EXPECT_EQ(String::capacityFor(0x20000000u), 0x20000000u + 0x4000000u);
}

TEST(StringCapacity, EveryStringKeepsItsTerminatorInside) {
    for (int length : {1, 63, 64, 100, 128, 200, 1000}) {
        String text(std::string(length, 'x').c_str());
        EXPECT_EQ(text.length(), std::uint32_t(length));
        EXPECT_EQ(text.capacity(), String::capacityFor(length));
        EXPECT_GT(text.capacity(), text.length());
        EXPECT_EQ(text.cString()[length], '\0');
    }
}

TEST(StringConstruction, EmptyOwnsNoBuffer) {
    String fromEmpty("");
    String fromNull(static_cast<const char*>(nullptr));
    String plain;
    for (const String* text : {&fromEmpty, &fromNull, &plain}) {
        EXPECT_EQ(text->capacity(), 0u);
        EXPECT_EQ(text->length(), 0u);
        EXPECT_STREQ(text->cString(), "");
    }
    String copy(plain);
    EXPECT_EQ(copy.capacity(), 0u);
}

TEST(StringConstruction, CopiesNeverShare) {
    String original("shared?");
    String copy(original);
    EXPECT_NE(copy.cString(), original.cString());
    EXPECT_EQ(copy, original);
    String moved(std::move(copy));
    EXPECT_EQ(moved, "shared?");
    EXPECT_EQ(copy.capacity(), 0u);
}

TEST(StringAssignment, ReusesTheBufferWhenItFits) {
    String text(std::string(70, 'a').c_str());
    const char* buffer = text.cString();
    text.assign("short");
    EXPECT_EQ(text.cString(), buffer);
    EXPECT_EQ(text.capacity(), 80u);
    EXPECT_EQ(text, "short");

    text.assign(String(std::string(79, 'b').c_str()));
    EXPECT_EQ(text.cString(), buffer) << "79 characters and a terminator fit in 80 bytes";
    text.assign(std::string(80, 'c').c_str());
    EXPECT_EQ(text.capacity(), 96u);

    text.assign("");
    EXPECT_EQ(text.capacity(), 0u);
    EXPECT_STREQ(text.cString(), "");
}

TEST(StringAssignment, SelfAndOverlappingSourcesAreSafe) {
    String text("abcdef");
    text = text;
    EXPECT_EQ(text, "abcdef");
    text.assign(text.cString() + 2);
    EXPECT_EQ(text, "cdef");
    text.append(text.cString());
    EXPECT_EQ(text, "cdefcdef");
    String big(std::string(63, 'z').c_str());
    big.append(big.cString()); // grows while reading from the old buffer
    EXPECT_EQ(big.length(), 126u);
    EXPECT_EQ(big.capacity(), String::capacityFor(126));
    EXPECT_EQ(big, std::string(126, 'z').c_str());
    big.append(big); // the whole string, across another regrowth
    EXPECT_EQ(big, std::string(252, 'z').c_str());
}

TEST(StringAppend, InPlaceUntilTheTerminatorNoLongerFits) {
    String text("a");
    const char* buffer = text.cString();
    text.append("b");
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(text.cString(), buffer);
    EXPECT_EQ(text.capacity(), 64u);

    text.append("");
    EXPECT_EQ(text, "ab");
    text.append(std::string(61, 'c').c_str()); // 63 characters: still fits
    EXPECT_EQ(text.capacity(), 64u);
    text.append('d'); // 64 characters: 80 bytes
    EXPECT_EQ(text.length(), 64u);
    EXPECT_EQ(text.capacity(), 80u);

    String empty;
    empty.append(String("first"));
    EXPECT_EQ(empty, "first");
    EXPECT_EQ(empty.capacity(), 64u);
}

TEST(StringConcatenation, SumsBothOperands) {
    String left("left");
    EXPECT_EQ(left + "right", "leftright");
    EXPECT_EQ(left + String("!"), "left!");
    EXPECT_EQ(left + "", left);
    // A null C string is empty here as it is everywhere else.
    const char* none = nullptr;
    EXPECT_EQ(left + none, left);
    EXPECT_EQ((String() + none).capacity(), 0u);
    String nothing = String() + String();
    EXPECT_EQ(nothing.capacity(), 0u);
    String sized = String(std::string(40, 'x').c_str()) + std::string(40, 'y').c_str();
    EXPECT_EQ(sized.length(), 80u);
    EXPECT_EQ(sized.capacity(), 96u);
}

TEST(StringComparison, EqualityAndOrdering) {
    EXPECT_TRUE(String().equals(String("")));
    EXPECT_TRUE(String("abc").equals(String("abc")));
    EXPECT_TRUE(String("abc").notEquals(String("abd")));
    EXPECT_TRUE(String("abc").notEquals(String("ab")));

    EXPECT_LT(String().compare(String("a")), 0);
    EXPECT_GT(String("a").compare(String()), 0);
    EXPECT_EQ(String().compare(String("")), 0);
    EXPECT_LT(String("ab").compare(String("abc")), 0);
    EXPECT_LT(String("z").compare(String("\x80")), 0) << "bytes above 127 sort last";
    EXPECT_LT(String("Z").compare(String("a")), 0);

    std::vector<String> sorted{"b", "\xff", "", "ab", "a"};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted[0], "");
    EXPECT_EQ(sorted[1], "a");
    EXPECT_EQ(sorted[2], "ab");
    EXPECT_EQ(sorted[3], "b");
    EXPECT_EQ(sorted[4], "\xff");
}

TEST(StringSearch, LastIndexOfCharacter) {
    String text("a.b.c");
    EXPECT_EQ(text.lastIndexOf('.', 0), 3);
    EXPECT_EQ(text.lastIndexOf('.', 3), 3);
    EXPECT_EQ(text.lastIndexOf('.', 4), -1);
    EXPECT_EQ(text.lastIndexOf('a', 0), 0);
    EXPECT_EQ(text.lastIndexOf('x', 0), -1);
    EXPECT_EQ(text.lastIndexOf('c', 5), -1);
    EXPECT_EQ(String().lastIndexOf('a', 0), -1);
}

TEST(StringSearch, LastIndexOfText) {
    String text("a.b.c");
    EXPECT_EQ(text.lastIndexOf("b.", 0), 2);
    EXPECT_EQ(text.lastIndexOf(".", 0), 3);
    EXPECT_EQ(text.lastIndexOf("a.b.c", 0), 0);
    EXPECT_EQ(text.lastIndexOf("a.b.c.", 0), -1);
    EXPECT_EQ(text.lastIndexOf("b.", 3), -1);
    EXPECT_EQ(text.lastIndexOf("xy", 0), -1);
    EXPECT_EQ(String("data\\f5e_05.3ds").lastIndexOf(".3ds", 0), 11);
}

TEST(StringObject, NamesAreTheTextItself) {
    String text("hello");
    EXPECT_EQ(text.getName(), "hello");
    EXPECT_EQ(text.toString(), "hello");
    EXPECT_EQ(text.getClass().getName(), "Object:String");
}

} // namespace
} // namespace orvane::types
