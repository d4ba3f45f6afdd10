// Replacing a file so that it is either the old one or the complete new one, never a cut
// one: the bytes go to a temporary file beside it, which is synced and renamed over it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace kelvaro {

struct ReplaceOptions {
  mode_t newFileMode = 0666;       // for a file that did not exist (the umask applies)
  bool createDirectories = false;  // make the directory when it is missing
};

// True when the target now holds exactly the bytes. A link is followed, so the link stays;
// an existing file keeps its access rights; a target that is no regular file is refused.
// On failure the temporary file is removed and the target is untouched.
bool replaceFile(const std::filesystem::path& target, std::string_view bytes, const ReplaceOptions& options = {});

}  // namespace kelvaro
