// Records the libcurl options the HTTP layer sets while it is alive (through the option seam).
#pragma once

#include <mutex>
#include <vector>

#include "http/curl_option_seam.h"

class OptionRecorder : public CurlOptionObserver {
public:
    OptionRecorder() { CurlOptionSeam::Observe(this); }
    ~OptionRecorder() { CurlOptionSeam::Observe(nullptr); }

    void OnOption(const CurlOptionRecord& record) override {
        std::lock_guard<std::mutex> guard(mutex_);
        records_.push_back(record);
    }

    std::vector<CurlOptionRecord> Records() {
        std::lock_guard<std::mutex> guard(mutex_);
        return records_;
    }

    // The options alone, in the order they were set.
    std::vector<CURLoption> Options() {
        std::vector<CURLoption> out;
        for (const auto& r : Records()) out.push_back(r.option);
        return out;
    }

    void Clear() {
        std::lock_guard<std::mutex> guard(mutex_);
        records_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<CurlOptionRecord> records_;
};
