#pragma once
// Where a host path really leads once the file system has followed what it follows on its own:
// symbolic links, and on Windows also junctions and short names. The file root is judged by
// these paths, not by the names a program wrote.

#include <cstdio>
#include <optional>
#include <string>

namespace corvane {

// The real path of `path` when it exists. When it does not, the real path of its deepest
// existing folder followed by the rest of its components, as creating it would place it.
// Nothing when the path cannot be judged: a component is there but does not open (a link to
// nothing, which creating the file would follow wherever it points), or the file system gives
// no real path.
std::optional<std::string> realHostPath(const std::string& path);

// Creates the empty file `path`, which must not exist yet, without following a link in its last
// component; false when something is already there or it cannot be made. Under Wine a Unix link
// to nothing is invisible to a Windows program, yet opening it for writing would create its
// target outside the root: only an exclusive creation notices it. On POSIX the real path above
// already sees such a link, and files are left to the ordinary open.
bool createNewHostFile(const std::string& path);

// std::fopen of a host path in UTF-8: on Windows through the wide name, so a file named in
// GB2312 by a program gets the same name whatever the system's code page.
std::FILE* openHostFile(const std::string& path, const char* mode);

}  // namespace corvane
