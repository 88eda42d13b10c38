// How a download is split: the part count chosen from the probed size and the byte range of
// every part. Offsets are 64-bit throughout, so resources past 2 GiB split correctly.
#pragma once

#include <cstdint>
#include <vector>

struct PartRange {
    std::int64_t first = 0;  // offset of the part's first byte
    std::int64_t last = 0;   // offset of its last byte; -1 up to the end; 0 the whole resource
};

struct DownloadPlan {
    int partCount = 1;             // the chosen n; becomes the worker's thread count
    std::vector<PartRange> parts;  // n ranges, or one whole-resource part without a range
};

// The part count for a probed size alone: one part up to 2 MiB, one per 2 MiB up to 10 MiB,
// five up to 50 MiB, then one per 10 MiB, at most ten.
int PartCountForSize(double totalSize);

// The split for a probed size, the worker's thread count (an upper bound) and whether the
// server answers ranges. Without ranges, or with one part, the whole resource is one transfer.
DownloadPlan PlanDownload(double totalSize, int threadCount, bool rangesSupported);
