// Helpers for the skin parser and zip reader tests: the ANSI code page a test runs in,
// scratch folders and the fixtures CMake generates.
#pragma once

#include <cstddef>
#include <string>

namespace xmltest {

// Puts the process into `codePage` for the scope (host build) or tells whether the process
// already runs in it (Windows: the code page comes from wine's LC_ALL).
class ScopedCodePage {
public:
    explicit ScopedCodePage(unsigned codePage);
    ~ScopedCodePage();
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
    unsigned previous_ = 0;
};

#define XMLTEST_IN_CODE_PAGE(cp)                  \
    ::xmltest::ScopedCodePage codePageScope_(cp); \
    if (!codePageScope_.active()) GTEST_SKIP() << "needs ANSI code page " << cp

// A fresh folder, removed with its files at the end of the scope. Path() ends with a
// separator, so it serves as a resource path.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Writes `data` into the file `name` inside the folder; returns its full path.
    std::string Write(const std::string& name, const std::string& data) const;

private:
    std::string path_;
};

// The folder of generated fixtures (LOADER_TEST_FIXTURES, as a path this process can open),
// ending with a separator.
std::string FixtureDir();

// Files this process has open (host build), for checking that archives get closed; -1 where
// that cannot be counted.
int OpenFileCount();

// True when no handle of this process keeps `path` open (Windows: an open without sharing
// succeeds; host: the count of open files is back at `baseline`).
bool NothingHoldsOpen(const std::string& path, int baseline);

}  // namespace xmltest
