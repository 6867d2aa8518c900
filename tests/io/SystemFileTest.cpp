#include "orvane/io/SystemFile.h"
#include "orvane/io/IOException.h"
#include "orvane/object/Pointer.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::io {
namespace {

using object::Pointer;
using test::TempDirectory;

Pointer<SystemFile> openFile(const std::string& name, unsigned mode) {
    return Pointer<SystemFile>::adopt(SystemFile::open(name.c_str(), mode));
}

// The exception an operation raises, caught by the root class, as (short name, message).
template <class Operation>
std::pair<std::string, std::string> raised(Operation operation) {
    try {
        operation();
    } catch (const object::Exception& e) {
        return {e.getName().cString(), e.getMessage().cString()};
    }
    return {"nothing", ""};
}

const std::string sharingMessage =
    "The process cannot access the file because it is being used by another process.";

TEST(SystemFileOpening, FailuresFollowTheErrorTable) {
    TempDirectory dir;
    EXPECT_EQ(raised([&] { openFile(dir.path("missing.txt"), SystemFile::MODE_READ); }),
              std::make_pair(std::string("FileNotFoundException"),
                             std::string("The system cannot find the file specified.")));
    EXPECT_EQ(raised([&] { openFile(dir.path("nodir/file.txt"), SystemFile::MODE_READ); }),
              std::make_pair(std::string("IOException"), std::string("IOException")))
        << "a missing directory is not a missing file";
    EXPECT_EQ(raised([&] { SystemFile::create(dir.path("nodir/new.txt").c_str()); }),
              std::make_pair(std::string("IOException"), std::string("IOException")));
    EXPECT_EQ(raised([&] { openFile(dir.path(), SystemFile::MODE_READ); }),
              std::make_pair(std::string("IOException"), std::string("IOException")))
        << "a directory is not a file";
    const std::string plain = dir.write("plain", "x");
    EXPECT_EQ(raised([&] { openFile(plain + "/below", SystemFile::MODE_READ); }),
              std::make_pair(std::string("IOException"), std::string("IOException")));
}

// The detail of the exception an operation raises.
template <class Operation>
std::string detailOf(Operation operation) {
    try {
        operation();
    } catch (const object::Exception& e) {
        return e.getDetail().cString();
    }
    return "nothing raised";
}

TEST(SystemFileOpening, FailuresCarryTheReasonInWordsBesideTheFixedMessage) {
    TempDirectory dir;
    EXPECT_EQ(detailOf([&] { openFile(dir.path("missing.txt"), SystemFile::MODE_READ); }),
              "No such file or directory");
    EXPECT_EQ(detailOf([&] { openFile(dir.path("nodir/file.txt"), SystemFile::MODE_READ); }),
              "No such directory");
    EXPECT_EQ(detailOf([&] { openFile(dir.path(), SystemFile::MODE_READ); }), "Is a directory");
    const std::string plain = dir.write("plain", "x");
    EXPECT_EQ(detailOf([&] { openFile(plain + "/below", SystemFile::MODE_READ); }),
              "Not a directory");
    auto held = openFile(plain, SystemFile::MODE_READ);
    EXPECT_EQ(detailOf([&] { openFile(plain, SystemFile::MODE_READ); }),
              "Resource temporarily unavailable");
}

TEST(SystemFileOpening, SecondOpenOfAHeldFileIsASharingViolation) {
    TempDirectory dir;
    const std::string name = dir.write("held.txt", "original");
    {
        auto held = openFile(name, SystemFile::MODE_READ);
        EXPECT_EQ(raised([&] { openFile(name, SystemFile::MODE_READ); }),
                  std::make_pair(std::string("IOException"), sharingMessage));
        EXPECT_EQ(raised([&] { SystemFile::create(name.c_str()); }),
                  std::make_pair(std::string("IOException"), sharingMessage));
        EXPECT_EQ(dir.read("held.txt"), "original") << "a refused create must not truncate";
        EXPECT_EQ(deleteFile(name.c_str()), 1);
        EXPECT_EQ(dir.read("held.txt"), "original");
    }
    EXPECT_NO_THROW(openFile(name, SystemFile::MODE_READ | SystemFile::MODE_WRITE))
        << "releasing the last reference closes the file and frees the lock";
    EXPECT_EQ(deleteFile(name.c_str()), 0);
    EXPECT_EQ(deleteFile(name.c_str()), 1) << "a missing file cannot be deleted";
}

TEST(SystemFileOpening, ExplicitCloseReleasesTheLockAndStopsTransfers) {
    TempDirectory dir;
    const std::string name = dir.write("f", "abc");
    auto file = openFile(name, SystemFile::MODE_READ | SystemFile::MODE_WRITE);
    EXPECT_TRUE(file->close());
    EXPECT_TRUE(file->close()) << "closing twice is harmless";
    EXPECT_NO_THROW(openFile(name, SystemFile::MODE_READ));
    char c;
    EXPECT_EQ(file->read(&c, 1), 0);
    EXPECT_EQ(file->write("z", 1), 0);
    EXPECT_FALSE(file->isReadable());
    EXPECT_EQ(file->size(), -1);
    EXPECT_EQ(file->modificationTime().getValue(), 0u);
    EXPECT_THROW(file->seek(0, File::FROM_START), IOException);
}

TEST(SystemFileOpening, CreateEmptiesAnExistingFile) {
    TempDirectory dir;
    const std::string name = dir.write("f", "old contents");
    auto file = Pointer<SystemFile>::adopt(SystemFile::create(name.c_str()));
    EXPECT_EQ(file->size(), 0);
    EXPECT_TRUE(file->isReadable());
    EXPECT_TRUE(file->isWritable());
    EXPECT_EQ(file->write("new", 3), 3);
    file = nullptr;
    EXPECT_EQ(dir.read("f"), "new");
}

TEST(SystemFileNames, BackslashesBecomeSlashes) {
    TempDirectory dir;
    ::mkdir(dir.path("data").c_str(), 0755);
    dir.write("data/model.3ds", "3ds");
    std::string name = dir.path() + "\\data\\model.3ds";
    auto file = openFile(name, SystemFile::MODE_READ);
    EXPECT_EQ(file->size(), 3);
    file = nullptr;
    auto created =
        Pointer<SystemFile>::adopt(SystemFile::create((dir.path() + "\\data\\out").c_str()));
    created = nullptr;
    EXPECT_EQ(deleteFile((dir.path() + "\\data\\out").c_str()), 0);
}

TEST(SystemFileNames, MissingNamesFallBackToEntriesDifferingInCase) {
    TempDirectory dir;
    ::mkdir(dir.path("Data").c_str(), 0755);
    dir.write("Data/gl-14_c2.tga", "lower");
    auto file = openFile(dir.path("data/GL-14_C2.TGA"), SystemFile::MODE_READ);
    char text[5];
    ASSERT_EQ(file->read(text, 5), 5);
    EXPECT_EQ(std::string(text, 5), "lower");
    file = nullptr;

    dir.write("Data/gl-14_C2.tga", "upper");
    dir.write("Data/GL-14_c2.tga", "first");
    file = openFile(dir.path("data/Gl-14_c2.TGA"), SystemFile::MODE_READ);
    ASSERT_EQ(file->read(text, 5), 5);
    EXPECT_EQ(std::string(text, 5), "first") << "the first match in byte order wins";
    file = nullptr;
    file = openFile(dir.path("Data/gl-14_c2.tga"), SystemFile::MODE_READ);
    ASSERT_EQ(file->read(text, 5), 5);
    EXPECT_EQ(std::string(text, 5), "lower") << "an exact name is always taken as it is";
    file = nullptr;

    auto created = Pointer<SystemFile>::adopt(SystemFile::create(dir.path("DATA/New.Txt").c_str()));
    created = nullptr;
    EXPECT_EQ(dir.read("Data/New.Txt"), "") << "create finds the directory, keeps the new name";
    EXPECT_EQ(deleteFile(dir.path("data/new.txt").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path("Data/New.Txt")));
}

class SystemFileContents : public ::testing::Test {
protected:
    void SetUp() override { name = directory.write("ten", "0123456789"); }
    TempDirectory directory;
    std::string name;
};

TEST_F(SystemFileContents, TransfersHonourTheOpenMode) {
    auto readOnly = openFile(name, SystemFile::MODE_READ);
    EXPECT_FALSE(readOnly->isWritable());
    EXPECT_EQ(readOnly->write("xx", 2), 0);
    EXPECT_EQ(readOnly->setSize(2), 0);
    EXPECT_EQ(readOnly->size(), 10);
    readOnly = nullptr;
    EXPECT_EQ(directory.read("ten"), "0123456789");

    auto writeOnly = openFile(name, SystemFile::MODE_WRITE);
    char buffer[4] = {};
    EXPECT_EQ(writeOnly->read(buffer, 4), 0);
    EXPECT_EQ(writeOnly->position(), 0);
    EXPECT_EQ(writeOnly->write("ab", 2), 2);
    writeOnly = nullptr;
    EXPECT_EQ(directory.read("ten"), "ab23456789");
}

TEST_F(SystemFileContents, SeekModesAndTheirFailures) {
    auto file = openFile(name, SystemFile::MODE_READ);
    EXPECT_EQ(file->seek(3, File::FROM_START), 3);
    EXPECT_EQ(file->seek(2, File::FROM_CURRENT), 5);
    EXPECT_EQ(file->seek(0, File::FROM_END), 10);
    EXPECT_EQ(file->seek(-4, File::FROM_END), 6);
    EXPECT_EQ(raised([&] { file->seek(0, 4); }),
              std::make_pair(std::string("IllegalPositionModeException"),
                             std::string("IllegalPositionModeException")));
    EXPECT_THROW(file->seek(0, 0), FileSeekException) << "a subclass of FileSeekException";
    EXPECT_EQ(file->position(), 6) << "a refused mode leaves the position";
    EXPECT_THROW(file->seek(-1, File::FROM_START), IOException);
    EXPECT_EQ(file->position(), 6);
    EXPECT_EQ(file->seek(INT_MAX - 10, File::FROM_START), INT_MAX - 10);
    EXPECT_THROW(file->seek(11, File::FROM_CURRENT), IOException) << "positions are 32-bit";
    EXPECT_EQ(file->position(), INT_MAX - 10);
    EXPECT_TRUE(file->rewind());
    EXPECT_EQ(file->position(), 0);
}

TEST_F(SystemFileContents, SizeAndSetSizeKeepThePosition) {
    auto file = openFile(name, SystemFile::MODE_READ | SystemFile::MODE_WRITE);
    file->seek(7, File::FROM_START);
    EXPECT_EQ(file->size(), 10);
    EXPECT_EQ(file->position(), 7);
    EXPECT_EQ(file->setSize(4), 4);
    EXPECT_EQ(file->size(), 4);
    EXPECT_EQ(file->position(), 7) << "the position may lie past the new end";
    char c;
    EXPECT_EQ(file->read(&c, 1), 0);
    EXPECT_EQ(file->setSize(12), 12);
    file->rewind();
    char all[12];
    ASSERT_EQ(file->read(all, 12), 12);
    EXPECT_EQ(std::string(all, 12), std::string("0123") + std::string(8, '\0'));
    EXPECT_TRUE(file->flush());
}

TEST_F(SystemFileContents, InputStreamForwardsToTheFile) {
    auto file = openFile(name, SystemFile::MODE_READ);
    InputStream* in = file->getInputStream();
    char two[2];
    EXPECT_EQ(in->read(two, 2), 2);
    EXPECT_EQ(in->available(), 8);
    EXPECT_EQ(in->skip(3), 3);
    EXPECT_EQ(file->position(), 5);
    EXPECT_EQ(in->skip(20), 20) << "the position may lie past the end";
    EXPECT_EQ(in->available(), -15);
    EXPECT_EQ(in->read(two, 2), 0);
}

TEST_F(SystemFileContents, ClosingALentStreamNeverFreesTheFilesStorage) {
    auto file = openFile(name, SystemFile::MODE_READ | SystemFile::MODE_WRITE);
    InputStream* in = file->getInputStream();
    OutputStream* out = file->getOutputStream();
    EXPECT_TRUE(in->close());
    EXPECT_TRUE(in->close());
    EXPECT_TRUE(out->close());
    EXPECT_EQ(in->getReferenceCount(), 1) << "the file's own reference stays";
    in->retain();
    EXPECT_TRUE(in->close()) << "a reference a caller added is handed back";
    EXPECT_EQ(in->getReferenceCount(), 1);
    EXPECT_EQ(out->write("AB", 2), 2);
    EXPECT_TRUE(out->flush());
    file->rewind();
    char two[2];
    EXPECT_EQ(in->read(two, 2), 2);
    EXPECT_EQ(std::string(two, 2), "AB");
}

TEST_F(SystemFileContents, TimesComeFromTheFileSystem) {
    const timespec times[2] = {{1000000000, 500}, {1100000000, 1234500}}; // access, modified
    ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
    auto file = openFile(name, SystemFile::MODE_READ);
    // 1601 to 1970 is 11644473600 s; units of 100 ns.
    EXPECT_EQ(file->accessTime().getValue(), (11644473600ull + 1000000000ull) * 10000000ull + 5);
    EXPECT_EQ(file->modificationTime().getValue(),
              (11644473600ull + 1100000000ull) * 10000000ull + 12345);
    const auto now = system::Timestamp::fromUnix(::time(nullptr), 0).getValue();
    const auto created = file->creationTime().getValue();
    EXPECT_LE(created, now + 20000000ull);
    EXPECT_GE(created, now - 3600ull * 10000000ull) << "the file was made moments ago";
}

TEST(SystemFileDevices, SeekingAPipeIsASeekError) {
    TempDirectory dir;
    const std::string name = dir.path("fifo");
    ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    auto file = openFile(name, SystemFile::MODE_READ);
    char c;
    EXPECT_EQ(file->read(&c, 1), 0) << "no writer: end of data, and no hang";
    EXPECT_EQ(raised([&] { file->seek(1, File::FROM_START); }),
              std::make_pair(std::string("FileSeekException"),
                             std::string("The file pointer cannot be set on the specified "
                                         "device or file.")));
}

TEST(SystemFileClassNames, FollowTheClassTree) {
    TempDirectory dir;
    auto file = Pointer<SystemFile>::adopt(SystemFile::create(dir.path("f").c_str()));
    EXPECT_STREQ(file->getClassName().cString(), "Object:StreamFactory:File:SystemFile");
    EXPECT_STREQ(file->getInputStream()->getClassName().cString(),
                 "Object:Stream:InputStream:FileInputStream");
    EXPECT_STREQ(file->getOutputStream()->getClassName().cString(),
                 "Object:Stream:OutputStream:FileOutputStream");
    EXPECT_STREQ(IllegalPositionModeException().getClassName().cString(),
                 "Object:Exception:IOException:FileSeekException:IllegalPositionModeException");
}

} // namespace
} // namespace orvane::io
