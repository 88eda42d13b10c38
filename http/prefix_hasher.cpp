// Hashing a file as it is written (see prefix_hasher.h).
#include "http/prefix_hasher.h"

#include <vector>

namespace {

constexpr std::size_t kReadSize = 1 << 20;
// How long the thread rests when it has caught up with the writer.
constexpr auto kIdle = std::chrono::milliseconds(20);

}  // namespace

bool PrefixHasher::Start(const std::string& path, ReachSource source) {
    Stop();
    if (!reader_.Open(path)) return false;
    stop_ = false;
    finished_ = false;
    failed_ = false;
    hashed_ = 0;
    hash_.Reset();
    source_ = std::move(source);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PrefixHasher::Run() {
    std::vector<unsigned char> buffer(kReadSize);
    unsigned generation = 0;
    for (;;) {
        Reach reach;
        bool final;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (stop_) return;
            final = finished_;
            reach = final_;
        }
        if (!final) reach = source_();
        if (reach.generation != generation) {
            // The writer cut the file back: what was hashed is gone.
            generation = reach.generation;
            hash_.Reset();
            hashed_ = 0;
        }
        if (hashed_ < reach.bytes) {
            const std::size_t want = static_cast<std::size_t>(
                reach.bytes - hashed_ < static_cast<std::int64_t>(kReadSize) ? reach.bytes - hashed_
                                                                             : kReadSize);
            const long long read = reader_.ReadAt(hashed_, buffer.data(), want);
            if (read < 0 || (read == 0 && final)) {
                std::lock_guard<std::mutex> hold(lock_);
                failed_ = true;
                return;
            }
            if (read > 0) {
                hash_.Update(buffer.data(), static_cast<std::size_t>(read));
                hashed_ += read;
                continue;
            }
            // Read nothing: the writer cut the file back after it said how far it was, and
            // its next answer names the new generation.
        } else if (final) {
            return;
        }
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait_for(hold, kIdle, [this] { return stop_ || finished_; });
    }
}

bool PrefixHasher::Finish(const Reach& whole, Sha256Digest& digest) {
    if (!thread_.joinable()) return false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        finished_ = true;
        final_ = whole;
    }
    wake_.notify_all();
    thread_.join();
    reader_.Close();
    if (failed_ || hashed_ != whole.bytes) return false;
    digest = hash_.Final();
    return true;
}

void PrefixHasher::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    reader_.Close();
}
