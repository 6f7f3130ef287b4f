#pragma once

#include <string>

namespace varnel::fs {

// Deletes everything it can inside the folder, then the folder itself; returns
// whether the folder itself was removed. The path may end with a backslash, a
// slash or neither. Subfolders whose names begin with "." are left alone (and
// with them their parents), files are deleted whatever their names, attributes
// are never changed, so a read-only file stays. A link (symbolic link or
// junction) is removed as the link itself, never by descending into what it
// points to, so nothing outside the folder's own tree is ever deleted.
bool remove_folder(const std::string& path);

}  // namespace varnel::fs
