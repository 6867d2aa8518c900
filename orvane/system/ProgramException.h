#pragma once

#include "orvane/object/Exception.h"

namespace orvane::system {

// A program was asked to run where it cannot: machine code for another processor, an
// entry address outside its code, or an interpreted stack that overflowed.
ORVANE_EXCEPTION(ProgramException, object::Exception);

} // namespace orvane::system
