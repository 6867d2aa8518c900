#include "orvane/system/System.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace orvane::system {
namespace {

TEST(StandardStreams, InputReadsWholeItemsOnly) {
    test::TempDirectory dir;
    const std::string name = dir.write("in", "abcdefgh");
    ASSERT_NE(std::freopen(name.c_str(), "rb", stdin), nullptr);
    auto& in = System::standardInput;
    char buffer[8] = {};
    EXPECT_EQ(in.read(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(in.skip(2), 2);
    EXPECT_EQ(in.read(buffer, 8), 0) << "only three bytes are left: no whole item";
    EXPECT_EQ(in.available(), 1) << "whatever stdin holds";
    EXPECT_FALSE(in.close());
    std::freopen("/dev/null", "rb", stdin);
    EXPECT_EQ(in.available(), 1);
}

TEST(StandardStreams, OutputAndErrorWriteThroughTheCRuntime) {
    test::TempDirectory dir;
    const std::string name = dir.path("out");
    for (int target : {STDOUT_FILENO, STDERR_FILENO}) {
        io::OutputStream& stream = target == STDOUT_FILENO
                                       ? static_cast<io::OutputStream&>(System::standardOutput)
                                       : System::standardError;
        std::fflush(nullptr);
        const int saved = ::dup(target);
        const int file = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, target);
        ::close(file);
        const int written = stream.write("line\n", 5);
        const bool flushed = stream.flush();
        ::dup2(saved, target);
        ::close(saved);
        EXPECT_EQ(written, 5);
        EXPECT_TRUE(flushed);
        EXPECT_FALSE(stream.close());
        EXPECT_EQ(dir.read("out"), "line\n");
        EXPECT_STREQ(stream.getClassName().cString(), "Object:Stream:OutputStream");
    }
}

} // namespace
} // namespace orvane::system
