// The downloader's platform seam: threads that are waited for together, and file positioning
// past 4 GiB in both builds (the Windows program is 32-bit, where long is 32 bits).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "http/platform_file.h"
#include "http/platform_thread.h"
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

}  // namespace
