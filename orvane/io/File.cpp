#include "orvane/io/File.h"

namespace orvane::io {

namespace {

// Gives up one reference to a stream embedded in its file, but never the stream's own
// one: that belongs to the file and ends with it.
void releaseBorrowed(const object::Object& stream) {
    if (stream.getReferenceCount() > 1)
        stream.release();
}

} // namespace

int File::FileInputStream::read(void* buffer, int count) {
    return file->read(buffer, count);
}

int File::FileInputStream::skip(int count) {
    const int start = file->position();
    return file->seek(count, FROM_CURRENT) - start;
}

int File::FileInputStream::available() {
    return file->size() - file->position();
}

bool File::FileInputStream::close() {
    releaseBorrowed(*this);
    return true;
}

types::String File::FileInputStream::getClassName() const {
    return object::classPath(InputStream::getClassName(), ":FileInputStream");
}

int File::FileOutputStream::write(const void* buffer, int count) {
    return file->write(buffer, count);
}

bool File::FileOutputStream::flush() {
    return file->flush();
}

bool File::FileOutputStream::close() {
    releaseBorrowed(*this);
    return true;
}

types::String File::FileOutputStream::getClassName() const {
    return object::classPath(OutputStream::getClassName(), ":FileOutputStream");
}

InputStream* File::getInputStream() {
    return &inputStream;
}

OutputStream* File::getOutputStream() {
    return &outputStream;
}

types::String File::getClassName() const {
    return object::classPath(StreamFactory::getClassName(), ":File");
}

} // namespace orvane::io
