#pragma once

#include "core/Error.h"

#include <string>

namespace bm {

// Copies a file of any size to `target` the way WriteFileDurably writes a
// document: the bytes go to a temporary file beside the target, in blocks
// (memory stays bounded), which is flushed and renamed over the target, then
// the folder is flushed. On failure the target is left as it was, the
// temporary file is removed, and the reason is returned.
bool CopyFileDurably(const std::string& source, const std::string& target, Error* error = nullptr);

} // namespace bm
