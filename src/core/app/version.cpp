// The version comes from the build so that the CMake project line is the one place that sets it.
#include "app/version.h"

#ifndef KELVARO_VERSION
#error "KELVARO_VERSION is set by src/core/CMakeLists.txt from the project version"
#endif

namespace kelvaro {

std::string_view programVersion() { return KELVARO_VERSION; }

}  // namespace kelvaro
