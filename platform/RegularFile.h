#pragma once
// Opening a file for reading that must be a regular file. The file is opened
// without blocking, so that a FIFO without a writer or a device cannot stop
// the caller in open(); anything that is not a regular file is then closed
// again and refused.
#include <cstdio>

namespace Platform {

// A stream reading path, or null. On failure errno tells why; for a FIFO,
// device, socket or folder it is a value IsNotRegularFileError recognises.
FILE* OpenRegularFile(const char* path);

// The same as a file descriptor (-1 on failure), opened read-only and
// close-on-exec, in blocking mode again.
int OpenRegularFileDescriptor(const char* path);

// True for the errno OpenRegularFile leaves for a file that is not regular.
bool IsNotRegularFileError(int error);

// A one-line reason for errno after a failed open, "not a regular file" for a
// FIFO, device or folder, otherwise the system's text.
const char* OpenErrorText(int error);

}  // namespace Platform
