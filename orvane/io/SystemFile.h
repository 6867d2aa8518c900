#pragma once

#include "orvane/io/File.h"

namespace orvane::io {

// A file on disk, opened exclusively: while a SystemFile holds it, every other open,
// create or delete of it (from this process or another that plays by the same rules)
// fails with the sharing-violation IOException. Names may use backslashes, and an
// existing file is found even when the case of its name differs (see FileName.h).
//
// Positions are 32-bit: a seek beyond 2^31 - 1 raises an IOException. read, write,
// position, size, setSize and flush never throw; short or failed transfers show only in
// their results.
class SystemFile : public File {
public:
    static constexpr unsigned MODE_READ = 1;
    static constexpr unsigned MODE_WRITE = 2;

    // Opens an existing file for reading, writing or both (MODE_READ | MODE_WRITE).
    // Answers a new file owned by the caller; failures raise the IO exceptions.
    static SystemFile* open(const char* name, unsigned mode);
    // Creates a file for reading and writing; an existing one is emptied (unless it is
    // held open elsewhere, which raises the sharing violation and changes nothing).
    static SystemFile* create(const char* name);

    // Closes the file without waiting for the destructor, raising the IO exception for a
    // failure. The destructor closes silently (it must not throw), so callers that need
    // to know that everything reached the disk call close() first. A closed file reads
    // and writes nothing.
    bool close();
    ~SystemFile() override;

    // Write and read do nothing (answer 0) unless the file was opened for them.
    int write(const void* buffer, int count) override;
    int read(void* buffer, int count) override;
    // Raises IllegalPositionModeException for a mode other than FROM_START,
    // FROM_CURRENT and FROM_END, before touching the file.
    int seek(int offset, int mode) override;
    // The position, or -1 when it cannot be told.
    int position() override;
    bool rewind() override;
    bool flush() override;
    // The length in bytes, or -1 when it cannot be told; the position is not moved.
    int size() override;
    // Answers length, or 0 when the file is not writable or the change failed; the
    // position is kept even when it now lies past the end.
    int setSize(int length) override;
    bool isWritable() override;
    bool isReadable() override;
    // Birth time where the file system records one, otherwise the time of the last
    // status change. All three answer 0 when the file is closed.
    system::Timestamp creationTime() override;
    system::Timestamp modificationTime() override;
    system::Timestamp accessTime() override;

    types::String getClassName() const override;

private:
    SystemFile(int descriptor, bool canRead, bool canWrite) noexcept
        : handle(descriptor)
        , writable(canWrite)
        , readable(canRead) {}

    int handle; // -1 when closed
    bool writable;
    bool readable;
};

// Deletes a file: answers 0 on success and 1 on failure (a missing file, a directory, a
// file held open by a SystemFile); never throws.
int deleteFile(const char* name);

} // namespace orvane::io
