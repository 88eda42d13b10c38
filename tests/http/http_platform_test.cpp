// The downloader's platform seam: threads that are waited for together, file positioning
// past 4 GiB in both builds (the Windows program is 32-bit, where long is 32 bits), and the
// SHA-256 on the processor's instructions against the portable one.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "http/platform_file.h"
#include "http/platform_thread.h"
#include "http/sha256.h"
#include "tests/http/download_fixture.h"

namespace {

std::atomic<int> finished{0};

unsigned SlowIncrement(void* delay) {
    PlatformThread::Sleep(*static_cast<unsigned*>(delay));
    finished.fetch_add(1);
    return 0;
}

TEST(HttpPlatformThread, WaitAllReturnsOnlyWhenEveryThreadHasEnded) {
    finished = 0;
    unsigned delays[] = {30, 80, 10};
    std::vector<PlatformThread> threads;
    for (unsigned& d : delays) threads.push_back(PlatformThread::Start(&SlowIncrement, &d));
    for (const auto& t : threads) ASSERT_TRUE(t.Valid());
    PlatformThread::WaitAll(threads);
    EXPECT_EQ(finished.load(), 3);
}

TEST(HttpPlatformThread, RefusalHookRefusesExactlyTheChosenStart) {
    finished = 0;
    unsigned none = 0;
    PlatformThread::RefuseStartAfter(1);
    PlatformThread a = PlatformThread::Start(&SlowIncrement, &none);
    PlatformThread b = PlatformThread::Start(&SlowIncrement, &none);
    PlatformThread c = PlatformThread::Start(&SlowIncrement, &none);
    EXPECT_TRUE(a.Valid());
    EXPECT_FALSE(b.Valid());
    EXPECT_TRUE(c.Valid());
    std::vector<PlatformThread> all;
    all.push_back(std::move(a));
    all.push_back(std::move(c));
    PlatformThread::WaitAll(all);
    EXPECT_EQ(finished.load(), 2);
}

TEST(HttpPlatformFile, WritesLandAtOffsetsPastFourGibibytes) {
    dltest::ScratchDir dir;
    const std::string path = dir.File("sparse.bin");
    const std::int64_t far = INT64_C(5) * 1024 * 1024 * 1024 + 7;
    {
        FileHandle file = PlatformFile::OpenForWriting(path);
        ASSERT_TRUE(file);
        ASSERT_EQ(PlatformFile::SeekTo(file.get(), far), 0);
        ASSERT_EQ(std::fwrite("z", 1, 1, file.get()), 1u);
        ASSERT_EQ(PlatformFile::SeekTo(file.get(), 3), 0);
        ASSERT_EQ(std::fwrite("a", 1, 1, file.get()), 1u);
    }
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(far + 1));
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(PlatformFile::SeekTo(in, far), 0);
    EXPECT_EQ(std::fgetc(in), 'z');
    std::fclose(in);
}

TEST(HttpPlatformFile, MoveReplacesAFileButNotAFolderAndDeleteReportsWhatItDid) {
    dltest::ScratchDir dir;
    const std::string from = dir.File("from"), to = dir.File("to"), folder = dir.File("folder");
    dltest::WriteFile(from, "new");
    dltest::WriteFile(to, "old");
    EXPECT_TRUE(PlatformFile::MoveReplacing(from, to));
    EXPECT_EQ(dltest::ReadFile(to), "new");
    EXPECT_FALSE(dltest::Exists(from));

    std::filesystem::create_directories(folder);
    EXPECT_FALSE(PlatformFile::MoveReplacing(to, folder));
    EXPECT_TRUE(dltest::Exists(to));

    EXPECT_TRUE(PlatformFile::Delete(to));
    EXPECT_FALSE(PlatformFile::Delete(to));
}

std::string Hex(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

// Known digests, fed in pieces of every awkward size, and random data of lengths around the
// block and padding boundaries hashed alike by both implementations, whole and piecewise.
TEST(HttpSha256, BothImplementationsGiveTheStandardDigests) {
    const std::string million(1000000, 'a');
    const struct {
        std::string input;
        const char* digest;
    } known[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (bool allow : {true, false}) {
        for (const auto& k : known) {
            for (std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{64},
                                      std::size_t{65}, std::size_t{100000}}) {
                Sha256 hash(allow);
                for (std::size_t at = 0; at < k.input.size(); at += piece) {
                    hash.Update(k.input.data() + at, std::min(piece, k.input.size() - at));
                }
                EXPECT_EQ(Hex(hash.Final()), k.digest) << allow << " " << piece;
            }
        }
    }
    std::mt19937 random(7);
    std::string data(5000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (std::size_t length = 0; length < data.size(); length += length < 300 ? 1 : 97) {
        Sha256 fast(true), portable(false);
        fast.Update(data.data(), length / 3);
        fast.Update(data.data() + length / 3, length - length / 3);
        portable.Update(data.data(), length);
        ASSERT_EQ(Hex(fast.Final()), Hex(portable.Final())) << length;
    }
}

}  // namespace
