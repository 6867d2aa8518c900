#include "orvane/native/FileWatch.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace orvane::native {
namespace {

bool contains(const std::vector<std::string>& paths, const std::string& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Editors save in place or by writing a new file and renaming it over the old one: both
// are changes of the entry, and so are creating and removing it; another directory's
// entries are not.
TEST(FileWatch, NamesEveryEntryWrittenRenamedCreatedOrRemovedOnceACall) {
    test::TempDirectory watched, other;
    watched.write("model.3ds", "old");
    FileWatch watch;
    ASSERT_TRUE(watch.isValid()) << watch.lastError();
    ASSERT_TRUE(watch.watchDirectory(watched.path()));
    ASSERT_TRUE(watch.watchDirectory(watched.path())) << "a second time changes nothing";
    EXPECT_EQ(watch.directoryCount(), 1u);
    EXPECT_TRUE(watch.changes().empty());

    watched.write("model.3ds", "rewritten in place");
    watched.write("model.3ds", "and again");
    const std::vector<std::string> rewritten = watch.changes(1000);
    EXPECT_EQ(rewritten, std::vector<std::string>{watched.path("model.3ds")})
        << "named once however often it changed";

    watched.write("model.3ds.tmp", "new");
    std::filesystem::rename(watched.path("model.3ds.tmp"), watched.path("model.3ds"));
    const std::vector<std::string> renamed = watch.changes(1000);
    EXPECT_TRUE(contains(renamed, watched.path("model.3ds")));

    other.write("elsewhere.3ds", "x");
    std::filesystem::remove(watched.path("model.3ds"));
    const std::vector<std::string> removed = watch.changes(1000);
    EXPECT_EQ(removed, std::vector<std::string>{watched.path("model.3ds")});
    EXPECT_TRUE(watch.changes().empty());

    EXPECT_FALSE(watch.watchDirectory(watched.path("absent")));
    EXPECT_NE(watch.lastError().find("cannot watch"), std::string::npos) << watch.lastError();
}

// A viewer opened and closed a thousand times leaves no descriptor or watch behind.
TEST(FileWatch, AThousandWatchesMadeAndGoneLeaveNoDescriptor) {
    test::TempDirectory watched;
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 1000; ++i) {
        FileWatch watch;
        ASSERT_TRUE(watch.watchDirectory(watched.path())) << watch.lastError();
    }
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
} // namespace orvane::native
