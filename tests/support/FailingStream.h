#pragma once

#include "orvane/io/IOException.h"
#include "orvane/io/InputStream.h"
#include "tests/support/ImageFiles.h"

#include <algorithm>
#include <cstring>

namespace orvane::test {

// A stream that gives the first `good` bytes of a file and then raises FileReadException,
// as a failing disk would: translators must let the stream's exception through.
class FailingStream : public io::InputStream {
public:
    FailingStream(const Bytes& bytes, std::size_t good)
        : bytes(bytes)
        , good(std::min(good, bytes.size())) {}

    int read(void* buffer, int count) override {
        if (at >= good)
            throw io::FileReadException();
        const int n = int(std::min<std::size_t>(std::size_t(std::max(count, 0)), good - at));
        std::memcpy(buffer, bytes.data() + at, std::size_t(n));
        at += std::size_t(n);
        return n;
    }
    int skip(int count) override { return read(scratch, std::min(count, int(sizeof scratch))); }
    int available() override { return int(bytes.size() - at); }
    bool close() override { return true; }

private:
    Bytes bytes;
    std::size_t good;
    std::size_t at = 0;
    std::uint8_t scratch[256];
};

} // namespace orvane::test
