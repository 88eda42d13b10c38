// Hashing a file as it is written (see prefix_hasher.h).
#include "http/prefix_hasher.h"

#include <vector>

namespace {

constexpr std::size_t kReadSize = 1 << 20;
// How long the thread rests when it has caught up with the writer.
constexpr auto kIdle = std::chrono::milliseconds(20);
// What may wait in memory for the hasher; past that the bytes are read back instead.
constexpr std::size_t kMostOffered = 32 << 20;

}  // namespace

bool PrefixHasher::Start(const std::string& path, ReachSource source) {
    Stop();
    if (!reader_.Open(path)) return false;
    stop_ = false;
    finished_ = false;
    running_ = true;
    failed_ = false;
    hashed_ = 0;
    hash_.Reset();
    offered_.clear();
    offeredBytes_ = 0;
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
        // Bytes handed over need no question to the writer (which would flush its stream).
        if (HashOffered(generation)) continue;
        if (!final) reach = source_();
        if (reach.generation != generation) {
            // The writer cut the file back: what was hashed is gone.
            generation = reach.generation;
            hash_.Reset();
            hashed_ = 0;
            continue;
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

void PrefixHasher::Offer(std::int64_t offset, unsigned generation, const void* data,
                         std::size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!running_ || size == 0 || offeredBytes_ + size > kMostOffered) return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    offered_.push_back(
        Offered{offset, generation, std::vector<unsigned char>(bytes, bytes + size)});
    offeredBytes_ += size;
}

bool PrefixHasher::HashOffered(unsigned generation) {
    bool any = false;
    for (;;) {
        Offered next;
        {
            std::lock_guard<std::mutex> hold(lock_);
            // An earlier generation's bytes, or bytes hashed already (read back meanwhile).
            // A later generation's wait until the writer has said it began.
            while (!offered_.empty() &&
                   (offered_.front().generation < generation ||
                    offered_.front().offset +
                            static_cast<std::int64_t>(offered_.front().bytes.size()) <=
                        hashed_)) {
                offeredBytes_ -= offered_.front().bytes.size();
                offered_.pop_front();
            }
            if (offered_.empty() || offered_.front().generation != generation ||
                offered_.front().offset > hashed_) {
                return any;
            }
            next = std::move(offered_.front());
            offered_.pop_front();
            offeredBytes_ -= next.bytes.size();
        }
        const std::size_t skip = static_cast<std::size_t>(hashed_ - next.offset);
        hash_.Update(next.bytes.data() + skip, next.bytes.size() - skip);
        hashed_ += static_cast<std::int64_t>(next.bytes.size() - skip);
        any = true;
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
    {
        std::lock_guard<std::mutex> hold(lock_);
        running_ = false;
        offered_.clear();
        offeredBytes_ = 0;
    }
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
    std::lock_guard<std::mutex> hold(lock_);
    running_ = false;
    offered_.clear();
    offeredBytes_ = 0;
}
