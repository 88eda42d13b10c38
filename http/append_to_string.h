// The libcurl write/header collector shared by requests and the downloader's size probe.
#pragma once

#include <cstddef>

// Appends size * count bytes to the std::string at user. A null target (or null data) discards
// the bytes, but the full count is still returned so the transfer is never aborted by it.
size_t AppendToString(char* data, size_t size, size_t count, void* user);
