#pragma once

#include "orvane/object/Exception.h"

namespace orvane::io {

// The IO exception family. Everything a failing system call raises is an IOException or
// one of these; raiseError() (SystemError.h) picks the class and the message.
ORVANE_EXCEPTION(IOException, object::Exception);
ORVANE_EXCEPTION(FileNotFoundException, IOException);
ORVANE_EXCEPTION(FileExistsException, IOException);
ORVANE_EXCEPTION(DiskFullException, IOException);
ORVANE_EXCEPTION(FileWriteException, IOException);
ORVANE_EXCEPTION(FileReadException, IOException);
ORVANE_EXCEPTION(FileOpenException, IOException);
ORVANE_EXCEPTION(FileSeekException, IOException);
ORVANE_EXCEPTION(IllegalPositionModeException, FileSeekException);

} // namespace orvane::io
