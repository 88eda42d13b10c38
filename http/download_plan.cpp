// How a download is split into parts.
#include "http/download_plan.h"

#include <algorithm>

namespace {

constexpr double kTwoMiB = 2097152.0;
constexpr double kTenMiB = 10485760.0;
constexpr double kFiftyMiB = 52428800.0;
constexpr std::int64_t kMaxParts = 10;

}  // namespace

int PartCountForSize(double totalSize) {
    if (totalSize <= kTwoMiB) return 1;
    if (totalSize <= kTenMiB) return static_cast<int>(totalSize / kTwoMiB);
    if (totalSize <= kFiftyMiB) return 5;
    return static_cast<int>(
        std::min<std::int64_t>(static_cast<std::int64_t>(totalSize / kTenMiB), kMaxParts));
}

DownloadPlan PlanDownload(double totalSize, int threadCount, bool rangesSupported) {
    DownloadPlan plan;
    plan.partCount = std::min(PartCountForSize(totalSize), threadCount);
    if (rangesSupported && plan.partCount > 1) {
        const std::int64_t n = plan.partCount;
        const std::int64_t partSize = static_cast<std::int64_t>(totalSize) / n;
        for (std::int64_t i = 0; i < n; ++i) {
            PartRange range;
            range.first = i * partSize;
            // The last part is open-ended, so whatever lies past (n - 1) * partSize arrives.
            range.last = i + 1 < n ? range.first + partSize - 1 : -1;
            plan.parts.push_back(range);
        }
    } else {
        plan.parts.push_back(PartRange{0, 0});
    }
    return plan;
}
