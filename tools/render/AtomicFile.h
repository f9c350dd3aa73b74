#pragma once
// Writes a whole file under a temporary name in the same folder and renames it
// over the destination only once every byte is on disk, so a failure leaves
// no partial file and keeps an existing file intact.

#include <cstddef>
#include <string>

namespace AtomicFile {

// On failure `error` holds one line naming the file and the problem.
bool Write(const char* path, const void* data, size_t size, std::string& error);

}  // namespace AtomicFile
