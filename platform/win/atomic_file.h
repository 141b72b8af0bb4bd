#pragma once
// Replacing a whole file so that a reader, a crash or another user of the
// folder never sees a mix of old and new contents, and a planted link never
// redirects the write.
//
// The new contents go into a fresh temporary file of a unique name in the
// folder of the file replaced, created exclusively (an existing name, a link
// included, is never opened, let alone truncated), flushed to disk, then
// renamed over the file. A target that is a symbolic link replaces the file
// the link names (the link stays a link); a target that exists but is no
// regular file (a folder, a device, a pipe) is refused, and so is an
// existing file this process may not write. The replaced file keeps its
// permission bits; a new file gets the usual 0666 less the umask.

#include <filesystem>
#include <string_view>

namespace dtm::win {

// Raises com::ComError 75 (Path/File access error) whose description is a
// whole sentence for the user: "<target>: not a regular file" or
// "cannot write <target>: <reason>". The target is unchanged then and no
// temporary file is left behind.
void ReplaceFileAtomically(const std::filesystem::path& target, std::string_view contents);

}  // namespace dtm::win
