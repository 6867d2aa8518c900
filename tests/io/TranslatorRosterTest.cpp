#include "orvane/io/TranslatorRoster.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::io {
namespace {

struct Thing : object::Object {};

// Accepts files whose byte at the current position is `accepted`; reads a varying number
// of bytes and leaves the file wherever that put it, so the roster must put it back.
class ByteTranslator : public Translator<Thing> {
public:
    ByteTranslator(char accepted, std::vector<char>* log)
        : accepted(accepted)
        , log(log) {}
    Thing* translate(InputStream*, int) override { return new Thing(); }
    int write(const Thing*, OutputStream*) override { return 0; }
    bool identify(File* file) override {
        log->push_back(accepted);
        char bytes[3] = {};
        return file->read(bytes, 3) > 0 && bytes[0] == accepted;
    }

private:
    char accepted;
    std::vector<char>* log;
};

TEST(TranslatorRosterProbing, AsksInOrderStopsAtTheFirstAndRestoresThePosition) {
    std::vector<char> log;
    TranslatorRoster<Thing> roster;
    for (char c : {'a', 'b', 'c'}) {
        auto* translator = new ByteTranslator(c, &log);
        roster.addTranslator(translator);
        EXPECT_EQ(translator->getReferenceCount(), 2);
        translator->release();
    }
    MemoryFile file("xxbzz", 5);
    file.seek(2, File::FROM_START);
    Translator<Thing>* found = roster.findTranslator(&file);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, roster.getTranslators().next(roster.getTranslators().first()));
    EXPECT_EQ(log, (std::vector<char>{'a', 'b'}));
    EXPECT_EQ(file.position(), 2);

    log.clear();
    file.seek(4, File::FROM_START);
    EXPECT_EQ(roster.findTranslator(&file), nullptr);
    EXPECT_EQ(log, (std::vector<char>{'a', 'b', 'c'}));
    EXPECT_EQ(file.position(), 4);
}

TEST(TranslatorRosterProbing, AnEmptyRosterFindsNothingAndMovesNothing) {
    TranslatorRoster<Thing> roster;
    MemoryFile file("abc", 3);
    file.seek(1, File::FROM_START);
    EXPECT_EQ(roster.findTranslator(&file), nullptr);
    EXPECT_EQ(file.position(), 1);
    EXPECT_STREQ(roster.getClassName().cString(), "Object:TranslatorRoster");
}

TEST(TranslatorProbe, ShortFilesAndFailuresAnswerFalse) {
    struct Probing : Translator<Thing> {
        Thing* translate(InputStream*, int) override { return nullptr; }
        int write(const Thing*, OutputStream*) override { return 0; }
        bool identify(File* file) override {
            char bytes[4];
            return probe(file, bytes, 4, 2);
        }
    } probing;
    MemoryFile longEnough("012345", 6), tooShort("01234", 5);
    EXPECT_TRUE(probing.identify(&longEnough));
    EXPECT_EQ(longEnough.position(), 0);
    EXPECT_FALSE(probing.identify(&tooShort));
    EXPECT_EQ(tooShort.position(), 0);
    EXPECT_STREQ(probing.getClassName().cString(), "Object:Translator");
    auto* properties = probing.getProperties();
    EXPECT_EQ(properties->count(), 0u);
    properties->release();
}

TEST(TranslatorLifetime, ATranslatorThatDiesLeavesTheRoster) {
    std::vector<char> log;
    TranslatorRoster<Thing> roster;
    {
        ByteTranslator embedded('q', &log);
        roster.addTranslator(&embedded);
        EXPECT_EQ(roster.getTranslators().count(), 1u);
    }
    EXPECT_EQ(roster.getTranslators().count(), 0u);
    MemoryFile file("q", 1);
    EXPECT_EQ(roster.findTranslator(&file), nullptr);
}

TEST(TranslatorExceptions, CarryTheirNamesAndClassPaths) {
    EXPECT_STREQ(TranslatorFormatException().getMessage().cString(), "TranslatorFormatException");
    EXPECT_STREQ(TranslatorMemoryException().getMessage().cString(), "TranslatorMemoryException");
    EXPECT_STREQ(TranslatorMemoryException().getClassName().cString(),
                 "Object:Exception:TranslatorException:TranslatorMemoryException");
    EXPECT_STREQ(TranslatorException("why").getMessage().cString(), "why");
    try {
        throw TranslatorFormatException();
    } catch (const TranslatorException& e) {
        EXPECT_STREQ(e.getName().cString(), "TranslatorFormatException");
    }
}

} // namespace
} // namespace orvane::io
