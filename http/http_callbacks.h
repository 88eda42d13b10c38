// The two callback shapes of the HTTP layer, shared by requests and downloads.
#pragma once

#include <functional>
#include <string>

// (id, success, text): a request passes its response body (on failure too), a download its
// error text.
using ResultCallback = std::function<void(int id, bool success, const std::string& text)>;

// (total, downloaded, user): a non-zero result aborts the transfer that reported it.
using ProgressCallback = std::function<int(double total, double downloaded, void* user)>;
