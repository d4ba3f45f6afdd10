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

// True when the target now holds exactly the bytes. A chain of symbolic links is followed to
// the file it ends in, so the links stay links, also when that file does not exist yet (it is
// then created; a missing directory at the end of a link is not). An existing file keeps its
// access rights; a target that is no regular file, a loop of links and a file that another
// save is writing at this moment are refused. On failure the temporary file is removed and
// the target is untouched.
bool replaceFile(const std::filesystem::path& target, std::string_view bytes, const ReplaceOptions& options = {});

// The one temporary file a save of target writes: the name of the file the links end in,
// followed by ".~tmp". Being one fixed name, a later save finds the one that a killed save
// left behind.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

// Removes the temporary file of target that a killed save left behind. A save in progress
// holds a lock on its temporary file, so its file is left alone. Every save does this first,
// and loads of a file call it so that a leftover does not outlive the next look at the file.
void removeStaleTemporary(const std::filesystem::path& target);

}  // namespace kelvaro
