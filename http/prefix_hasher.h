// The SHA-256 of a file while it is being written: a thread of its own reads back, in order,
// as much of the file as is complete from its first byte and hashes it, so the download never
// waits for the hash and the check after the last byte only covers what was not yet hashed.
// Bytes written in order at the end of the prefix are handed over in memory (no read back);
// parts that write ahead of it are read back once the gap before them fills.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http/platform_file.h"
#include "http/sha256.h"

class PrefixHasher {
public:
    // How far the file is complete and on disk from its first byte, and how often it was cut
    // back to nothing (a new generation makes the hash start again). Asked from the hasher's
    // thread until Finish.
    struct Reach {
        std::int64_t bytes = 0;
        unsigned generation = 0;
    };
    using ReachSource = std::function<Reach()>;

    PrefixHasher() = default;
    ~PrefixHasher() { Stop(); }
    PrefixHasher(const PrefixHasher&) = delete;
    PrefixHasher& operator=(const PrefixHasher&) = delete;

    // Opens path for reading and starts hashing; false (and nothing runs) when it cannot.
    bool Start(const std::string& path, ReachSource source);
    // The writer is done and whole is where it ended (the reach source's last answer): hashes
    // what is left and gives the digest; false when the file could not be read to there (or
    // hashing never started).
    bool Finish(const Reach& whole, Sha256Digest& digest);
    // Ends the thread and closes the file without a digest.
    void Stop();
    // The writer has just written data at offset in the given generation: a copy spares the
    // hasher reading it back. Dropped when too much is waiting already.
    void Offer(std::int64_t offset, unsigned generation, const void* data, std::size_t size);

private:
    void Run();
    struct Offered {
        std::int64_t offset;
        unsigned generation;
        std::vector<unsigned char> bytes;
    };
    // Hashes what was offered at hashed_ (dropping what is stale); true when it hashed any.
    bool HashOffered(unsigned generation);

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool running_ = false;   // lock_: offers are taken
    bool finished_ = false;  // set by Finish: final_ is the reach, ask no more
    Reach final_;
    std::deque<Offered> offered_;   // lock_
    std::size_t offeredBytes_ = 0;  // lock_
    bool failed_ = false;           // a read failed: no digest
    std::int64_t hashed_ = 0;
    ReachSource source_;
    FileReader reader_;
    Sha256 hash_;
    std::thread thread_;
};
