#pragma once

#include "orvane/io/InputStream.h"
#include "orvane/io/OutputStream.h"

namespace orvane::system {

// The process-wide standard streams over the C runtime's stdin, stdout and stderr. They
// are made during static initialisation and destroyed at exit; nobody releases them.
class System {
public:
    class StandardInputStream : public io::InputStream {
    public:
        // Reads exactly count bytes or nothing: answers count or 0.
        int read(void* buffer, int count) override;
        // Seeks stdin forward; answers count on success, 0 on failure (a pipe, say).
        int skip(int count) override;
        // Always 1: how much a terminal or pipe holds cannot be told.
        int available() override;
        // The standard streams cannot be closed: does nothing, answers false.
        bool close() override;
    };

    class StandardOutputStream : public io::OutputStream {
    public:
        // Writes exactly count bytes or nothing: answers count or 0.
        int write(const void* buffer, int count) override;
        bool flush() override;
        bool close() override;
    };

    class StandardErrorStream : public io::OutputStream {
    public:
        int write(const void* buffer, int count) override;
        bool flush() override;
        bool close() override;
    };

    static StandardInputStream standardInput;
    static StandardOutputStream standardOutput;
    static StandardErrorStream standardError;
};

} // namespace orvane::system
