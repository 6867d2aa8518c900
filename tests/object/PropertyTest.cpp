#include "orvane/object/PropertyList.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvane::object {
namespace {

const PropertyDescriptor translatorTable[] = {
    {Property::objectKind, "texturemanager", "", {}},
    {Property::objectKind, "shadermanager", "", {}},
    PropertyDescriptor::end(),
};

const PropertyDescriptor mixedTable[] = {
    {Property::stringKind, "directory", "where to look", {.text = "data"}},
    {Property::stringKind, "nothing", "", {}},
    {2, "scale", "", {.real = 0.5}},
    {Property::stringKind, "", "", {.text = "anonymous"}},
    PropertyDescriptor::end(),
};

TEST(PropertyTables, RowsBecomePropertiesInOrder) {
    const PropertyList translators(translatorTable);
    ASSERT_EQ(translators.count(), 2u);
    EXPECT_EQ(translators[0].getName(), "texturemanager");
    EXPECT_EQ(translators[1].getName(), "shadermanager");
    for (const Property& property : translators) {
        EXPECT_EQ(property.getType(), Property::objectKind);
        EXPECT_EQ(property.getObject(), nullptr);
    }

    const PropertyDescriptor onlyEnd[] = {PropertyDescriptor::end()};
    EXPECT_EQ(PropertyList(onlyEnd).count(), 0u);

    const PropertyList mixed(mixedTable);
    ASSERT_EQ(mixed.count(), 4u);
    EXPECT_STREQ(mixed[0].getString(), "data");
    EXPECT_NE(mixed[0].getString(), mixedTable[0].defaultValue.text) << "the text is copied";
    EXPECT_EQ(mixed[0].getDescription(), "where to look");
    EXPECT_EQ(mixed[1].getString(), nullptr);
    EXPECT_EQ(mixed[2].getDefault().real, 0.5);
    EXPECT_EQ(mixed[0].getClassName(), "Object:Property");
    EXPECT_EQ(mixed.getClassName(), "Object:PropertyList");
}

TEST(PropertyLookup, MatchesTheWholeNameAsAPrefixOfTheQuery) {
    PropertyList list(translatorTable);
    EXPECT_EQ(list.lookup("texturemanager"), &list[0]);
    EXPECT_EQ(list.lookup("texturemanager2"), &list[0]);
    EXPECT_EQ(list.lookup("texture"), nullptr);
    EXPECT_EQ(list.lookup(""), nullptr) << "only an empty name matches an empty query";
    EXPECT_EQ(list.find("shadermanager"), 1u);
    EXPECT_EQ(list.find("lights"), list.count());
    EXPECT_FALSE(list.contains("lights"));
    EXPECT_EQ(list.count(), 2u) << "a search adds nothing";

    const PropertyList mixed(mixedTable);
    EXPECT_EQ(mixed.find(""), 3u);
    EXPECT_EQ(mixed.find(nullptr), 3u);
    EXPECT_EQ(mixed.find("dir"), mixed.count());
}

TEST(PropertyValues, StringCopiesAreOwnedOnceThroughSetResetAndCopy) {
    PropertyList list(mixedTable);
    Property& directory = list[0];
    const char* initial = directory.getString();

    directory.setString("textures");
    EXPECT_STREQ(directory.getString(), "textures");
    directory.setString(directory.getString()); // from its own current copy
    EXPECT_STREQ(directory.getString(), "textures");

    Property copy(directory);
    EXPECT_STREQ(copy.getString(), "textures");
    EXPECT_NE(copy.getString(), directory.getString());
    copy.reset();
    EXPECT_STREQ(copy.getString(), "data");
    EXPECT_EQ(copy.getValue(), reinterpret_cast<std::intptr_t>(copy.getDefault().text))
        << "after a reset both cells share the default's copy";

    list.resetAll();
    EXPECT_STREQ(directory.getString(), "data");
    EXPECT_EQ(directory.getString(), initial);

    // A string property keeps a copy even of text given as a bare word.
    char scratch[] = "temporary";
    directory.setValue(reinterpret_cast<std::intptr_t>(scratch));
    std::strcpy(scratch, "changed!!");
    EXPECT_STREQ(directory.getString(), "temporary");
    directory.setValue(0);
    EXPECT_EQ(directory.getString(), nullptr);

    PropertyList more;
    more.append(list);
    more.append(more);
    ASSERT_EQ(more.count(), 8u);
    EXPECT_EQ(more[4].getString(), nullptr) << "the current value is copied, not the default";
    more[4].reset();
    EXPECT_STREQ(more[4].getString(), "data");
    EXPECT_STREQ(more[7].getString(), "anonymous");
    list[1].setString("set later");
    more = list; // copies replace the old ones
    EXPECT_STREQ(more[1].getString(), "set later");
    more[1].reset();
    EXPECT_EQ(more[1].getString(), nullptr);
    EXPECT_STREQ(list[1].getString(), "set later");
}

TEST(PropertyValues, ObjectReferencesAreNotCounted) {
    PropertyList list(translatorTable);
    Object manager;
    list.lookup("shadermanager")->setObject(&manager);
    EXPECT_EQ(list[1].getObject(), &manager);
    EXPECT_EQ(manager.getReferenceCount(), 1);
    const PropertyList copy(list);
    EXPECT_EQ(copy[1].getValue(), reinterpret_cast<std::intptr_t>(&manager));
    list.resetAll();
    EXPECT_EQ(list[1].getObject(), nullptr);
}

} // namespace
} // namespace orvane::object
