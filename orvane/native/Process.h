#pragma once

#include <string>

namespace orvane::native {

// The directory the running program's file lies in (symbolic links resolved), or an empty
// string when the system cannot tell.
std::string programDirectory();

} // namespace orvane::native
