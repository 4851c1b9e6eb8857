#pragma once

#include <cstddef>
#include <cstdint>

// Names a status code for messages ("kConnectionErr"). Codes missing from the name table fall
// back to the system's text for the code as an errno value. With no buffer (or a size of 0) the
// returned text is constant and lives as long as the program; otherwise at most size - 1
// characters are copied into `buffer`, zero-terminated, and `buffer` is returned.
// Safe to call from any thread.
const char *GetErrorString(int32_t code, char *buffer, size_t bufferSize);
