// The program's version, as the build names it, for "Info" and wherever else it is shown.
#pragma once

#include <string_view>

namespace kelvaro {

// "0.1.0": the version of the CMake project, handed to this one source file by the build.
std::string_view programVersion();

}  // namespace kelvaro
