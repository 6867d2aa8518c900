#include "orvane/graphics3d/mesh/ParameterFormat.h"
#include "orvane/graphics3d/mesh/ParameterBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace orvane::graphics3d {
namespace {

constexpr std::uint32_t MATRIX = 0x00401024;
constexpr std::uint32_t FLOAT3 = 0x000C0324;
constexpr std::uint32_t INT4 = 0x00100404;

TEST(ParameterFormat, KeepsOffsetsAndSizeAcrossAddRemoveAndAppend) {
    ParameterFormat format;
    format.add("position", MATRIX, 0);
    format.add("colour", "tint", FLOAT3, 64);
    format.add("flags", INT4, 76);
    EXPECT_EQ(format.size(), 92u);
    EXPECT_EQ(format.find("tint"), nullptr) << "aliases are not searched";
    EXPECT_STREQ(format.find("colour")->alias, "tint");

    format.remove("colour");
    EXPECT_EQ(format.count(), 2u);
    EXPECT_STREQ(format.component(1).name, "flags");
    EXPECT_EQ(format.component(1).offset, 64u);
    EXPECT_EQ(format.size(), 80u);
    format.remove("absent");
    EXPECT_EQ(format.count(), 2u);

    ParameterFormat other;
    other.add("light", FLOAT3, 0);
    format.append(other);
    EXPECT_EQ(format.find("light")->offset, 80u);
    EXPECT_EQ(format.size(), 92u);
    format.append(format);
    EXPECT_EQ(format.count(), 6u);
    EXPECT_EQ(format.component(5).offset, 172u);
    EXPECT_EQ(format.size(), 184u);
    EXPECT_EQ(format.find("light"), &format.component(2)) << "the first match wins";
}

TEST(ParameterFormat, SearchesByNameOverSixtyFourCharactersAndByOffset) {
    ParameterFormat format;
    const std::string longName(64, 'n');
    format.add((longName + "ignored").c_str(), MATRIX, 0);
    format.add("second", FLOAT3, 64);
    EXPECT_TRUE(format.contains(longName.c_str()));
    EXPECT_TRUE(format.contains((longName + "other").c_str()));
    EXPECT_FALSE(format.contains(longName.substr(1).c_str()));
    EXPECT_FALSE(format.contains(nullptr));
    EXPECT_EQ(format.findByOffset(64), format.find("second"));
    EXPECT_TRUE(format.containsOffset(0));
    EXPECT_FALSE(format.containsOffset(12));
}

TEST(ParameterFormat, CompactDropsUntypedComponentsAndFitsTheStorage) {
    ParameterFormat format;
    for (int index = 0; index < 6; ++index)
        format.add(("p" + std::to_string(index)).c_str(), index % 2 ? 0 : FLOAT3, 12 * index);
    EXPECT_GT(format.capacity(), 3u);
    format.compact();
    EXPECT_EQ(format.count(), 3u);
    EXPECT_EQ(format.capacity(), 3u);
    EXPECT_STREQ(format.component(2).name, "p4");
    EXPECT_EQ(format.size(), 36u);
    format.clear();
    EXPECT_EQ(format.count(), 0u);
    EXPECT_EQ(format.size(), 0u);
}

TEST(ParameterBuffer, IsMadeForAFormatWithComponentsAndStaysInsideItsBlock) {
    ParameterFormat empty;
    EXPECT_EQ(ParameterBuffer::create(empty), nullptr);

    ParameterFormat format;
    format.add("position", MATRIX, 0);
    format.add("misplaced", FLOAT3, 60);
    ParameterBuffer* buffer = ParameterBuffer::create(format);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->getReferenceCount(), 1);
    EXPECT_EQ(buffer->format(), &format);
    EXPECT_EQ(buffer->size(), 76u);
    EXPECT_EQ(buffer->parameter("position"), buffer->data());
    EXPECT_EQ(buffer->parameter("misplaced"), buffer->data() + 60);
    std::memset(buffer->data(), 0xAB, buffer->size()); // the whole block is the buffer's

    // The format grows after the buffer was made: the buffer keeps its block.
    format.add("late", FLOAT3, 76);
    EXPECT_EQ(buffer->size(), 76u);
    EXPECT_EQ(buffer->parameter("late"), nullptr);
    EXPECT_EQ(buffer->parameter("absent"), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer->data()) % alignof(std::max_align_t), 0u);
    buffer->release();
}

} // namespace
} // namespace orvane::graphics3d
