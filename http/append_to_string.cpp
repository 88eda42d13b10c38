// The libcurl write/header collector shared by requests and the downloader's size probe.
#include "http/append_to_string.h"

#include <string>

size_t AppendToString(char* data, size_t size, size_t count, void* user) {
    if (user && data) static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}
