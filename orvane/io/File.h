#pragma once

#include "orvane/io/StreamFactory.h"
#include "orvane/system/Timestamp.h"

namespace orvane::io {

// A random-access file with 32-bit positions. Subclasses provide the storage
// (SystemFile on disk, MemoryFile in memory); File provides the two streams over it.
//
// Ownership of the streams: each File embeds one FileInputStream and one
// FileOutputStream. getInputStream()/getOutputStream() lend them out; they live exactly as
// long as the file, whatever is done with their reference counts. A stream's close() hands
// back only references that a caller added with retain(): the stream's own reference
// belongs to the file, so closing a lent stream can never free the file's storage.
class File : public StreamFactory {
public:
    // Position modes of seek(); no other value is valid.
    static constexpr int FROM_START = 1;
    static constexpr int FROM_CURRENT = 2;
    static constexpr int FROM_END = 3;

    class FileInputStream : public InputStream {
    public:
        explicit FileInputStream(File* owner) noexcept
            : file(owner) {}
        FileInputStream(const FileInputStream&) = delete;
        FileInputStream& operator=(const FileInputStream&) = delete;

        int read(void* buffer, int count) override;
        // Seeks forward from the current position; answers new minus old position.
        int skip(int count) override;
        // size() - position().
        int available() override;
        bool close() override;

        types::String getClassName() const override;

    private:
        File* file;
    };

    class FileOutputStream : public OutputStream {
    public:
        explicit FileOutputStream(File* owner) noexcept
            : file(owner) {}
        FileOutputStream(const FileOutputStream&) = delete;
        FileOutputStream& operator=(const FileOutputStream&) = delete;

        int write(const void* buffer, int count) override;
        bool flush() override;
        bool close() override;

        types::String getClassName() const override;

    private:
        File* file;
    };

    File() noexcept
        : inputStream(this)
        , outputStream(this) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    InputStream* getInputStream() override;
    OutputStream* getOutputStream() override;

    virtual int write(const void* buffer, int count) = 0;
    virtual int read(void* buffer, int count) = 0;
    // Sets the position; answers the new absolute position.
    virtual int seek(int offset, int mode) = 0;
    virtual int position() = 0;
    virtual bool rewind() = 0;
    virtual bool flush() = 0;
    virtual int size() = 0;
    // Cuts or extends the file to length bytes; answers length.
    virtual int setSize(int length) = 0;
    virtual bool isWritable() = 0;
    virtual bool isReadable() = 0;
    virtual system::Timestamp creationTime() = 0;
    virtual system::Timestamp modificationTime() = 0;
    virtual system::Timestamp accessTime() = 0;

    types::String getClassName() const override;

private:
    FileInputStream inputStream;
    FileOutputStream outputStream;
};

} // namespace orvane::io
