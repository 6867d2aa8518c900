#include "orvane/io/SystemError.h"
#include "orvane/io/IOException.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace orvane::io {
namespace {

struct Raised {
    std::string name;
    std::string message;
    bool isIOException = false;
    bool isFileSeekException = false;
};

Raised raise(int code) {
    Raised raised;
    try {
        raiseError(code);
    } catch (const FileSeekException& e) {
        raised = {e.getName().cString(), e.getMessage().cString(), true, true};
    } catch (const IOException& e) {
        raised = {e.getName().cString(), e.getMessage().cString(), true, false};
    } catch (const object::Exception& e) {
        raised = {e.getName().cString(), e.getMessage().cString()};
    }
    return raised;
}

TEST(ErrorTable, EveryCodeRaisesItsClassAndEnglishMessage) {
    const struct {
        int code;
        const char* name;
        const char* message;
    } table[] = {
        {2, "FileNotFoundException", "The system cannot find the file specified."},
        {4, "FileOpenException", "The system cannot open the file."},
        {19, "FileWriteException", "The media is write protected."},
        {25, "IOException", "The drive cannot locate a specific area or track on the disk."},
        {29, "FileWriteException", "The system cannot write to the specified device."},
        {30, "FileReadException", "The system cannot read from the specified device."},
        {32, "IOException",
         "The process cannot access the file because it is being used by another process."},
        {34, "IOException", "The wrong diskette is in the drive."},
        {80, "FileExistsException", "The file exists."},
        {110, "FileOpenException", "The system cannot open the device or file specified."},
        {112, "DiskFullException", "There is not enough space on the disk."},
        {132, "FileSeekException",
         "The file pointer cannot be set on the specified device or file."},
        {1005, "IOException", "The volume does not contain a recognized file system."},
        {1006, "IOException",
         "The volume for a file has been externally altered so that the opened file is no "
         "longer valid."},
        {1785, "IOException", "The disk media is not recognized. It may not be formatted."},
        {0, "IOException", "IOException"},
        {1, "IOException", "IOException"},
        {3, "IOException", "IOException"},
        {5, "IOException", "IOException"},
        {-7, "IOException", "IOException"},
    };
    for (const auto& row : table) {
        const Raised raised = raise(row.code);
        EXPECT_EQ(raised.name, row.name) << "code " << row.code;
        EXPECT_EQ(raised.message, row.message) << "code " << row.code;
        EXPECT_TRUE(raised.isIOException) << "code " << row.code;
        EXPECT_EQ(raised.isFileSeekException, row.code == 132) << "code " << row.code;
    }
}

TEST(ErrorTable, ErrnoValuesMapOntoEngineCodes) {
    EXPECT_EQ(errorCodeForErrno(ENOENT), 2);
    EXPECT_EQ(errorCodeForErrno(ENOTDIR), 3);
    EXPECT_EQ(errorCodeForErrno(EMFILE), 4);
    EXPECT_EQ(errorCodeForErrno(ENFILE), 4);
    EXPECT_EQ(errorCodeForErrno(EACCES), 5);
    EXPECT_EQ(errorCodeForErrno(EPERM), 5);
    EXPECT_EQ(errorCodeForErrno(EROFS), 19);
    EXPECT_EQ(errorCodeForErrno(EIO, FileOperation::Write), 29);
    EXPECT_EQ(errorCodeForErrno(EIO, FileOperation::Read), 30);
    EXPECT_EQ(errorCodeForErrno(EWOULDBLOCK), 32);
    EXPECT_EQ(errorCodeForErrno(EEXIST), 80);
    EXPECT_EQ(errorCodeForErrno(ENXIO), 110);
    EXPECT_EQ(errorCodeForErrno(ENODEV), 110);
    EXPECT_EQ(errorCodeForErrno(ENOSPC), 112);
    EXPECT_EQ(errorCodeForErrno(EDQUOT), 112);
    EXPECT_EQ(errorCodeForErrno(ESPIPE), 132);
    EXPECT_EQ(errorCodeForErrno(EINVAL), 0);
    EXPECT_EQ(errorCodeForErrno(0), 0);
}

TEST(ErrorTable, SystemErrorsKeepTheTableAndAddTheSystemsWords) {
    // Permission denied is outside the table: the message stays "IOException".
    try {
        raiseSystemError(EACCES);
        ADD_FAILURE() << "nothing raised";
    } catch (const IOException& e) {
        EXPECT_STREQ(e.getName().cString(), "IOException");
        EXPECT_STREQ(e.getMessage().cString(), "IOException");
        EXPECT_STREQ(e.getDetail().cString(), "Permission denied");
    }
    try {
        errno = ENOSPC;
        raiseLastError(FileOperation::Write);
    } catch (const DiskFullException& e) {
        EXPECT_STREQ(e.getMessage().cString(), "There is not enough space on the disk.");
        EXPECT_STREQ(e.getDetail().cString(), "No space left on device");
    }
    try {
        raiseError(ErrorCode::FILE_NOT_FOUND);
    } catch (const FileNotFoundException& e) {
        EXPECT_STREQ(e.getDetail().cString(), "") << "no detail unless one is given";
    }
}

TEST(ErrorTable, ExceptionsWithoutTextCarryTheirShortName) {
    EXPECT_STREQ(IOException().getMessage().cString(), "IOException");
    EXPECT_STREQ(FileNotFoundException().getMessage().cString(), "FileNotFoundException");
    EXPECT_STREQ(FileNotFoundException().getClassName().cString(),
                 "Object:Exception:IOException:FileNotFoundException");
    const DiskFullException original("full");
    const DiskFullException copy(original);
    EXPECT_STREQ(copy.getMessage().cString(), "full");
}

} // namespace
} // namespace orvane::io
