// The split of a download: the part-count table at its boundaries, the byte ranges, and the
// 64-bit offsets for resources past 4 GiB; and the record a download keeps to be resumed.
#include "http/download_plan.h"
#include "http/resume_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Ranges(const DownloadPlan& plan) {
    std::vector<std::string> out;
    for (const PartRange& r : plan.parts) {
        out.push_back(std::to_string(r.first) + "-" + (r.last > 0 ? std::to_string(r.last) : "") +
                      (r.last == 0 ? "whole" : ""));
    }
    return out;
}

TEST(DownloadPlanTable, PartCountAtTheBoundaries) {
    struct Case {
        double size;
        int parts;
    };
    const Case cases[] = {
        {0, 1},          {1048576, 1},    {2097152, 1},  {2097153, 1},  {4194303, 1},
        {4194304, 2},    {8388606, 3},    {8388608, 4},  {10485760, 5}, {10485761, 5},
        {52428800, 5},   {52428801, 5},   {62914559, 5}, {62914560, 6}, {104857598, 9},
        {104857600, 10}, {209715200, 10}, {6e9, 10},
    };
    for (const Case& c : cases) EXPECT_EQ(PartCountForSize(c.size), c.parts) << c.size;
}

TEST(DownloadPlanSplit, SmallResourcesAndTheThreadBoundGiveOneWholeTransfer) {
    for (double size : {0.0, 1048576.0, 3145728.0}) {
        DownloadPlan plan = PlanDownload(size, 4, true);
        EXPECT_EQ(plan.partCount, 1) << size;
        EXPECT_EQ(Ranges(plan), std::vector<std::string>{"0-whole"}) << size;
    }
    DownloadPlan one = PlanDownload(209715200, 1, true);
    EXPECT_EQ(one.partCount, 1);
    EXPECT_EQ(Ranges(one), std::vector<std::string>{"0-whole"});
}

TEST(DownloadPlanSplit, EightMebibytesGiveFourEqualPartsWithAnOpenEndedLast) {
    DownloadPlan plan = PlanDownload(8388608, 4, true);
    EXPECT_EQ(plan.partCount, 4);
    EXPECT_EQ(Ranges(plan), (std::vector<std::string>{"0-2097151", "2097152-4194303",
                                                      "4194304-6291455", "6291456-"}));
}

TEST(DownloadPlanSplit, RangeProbedEightMebibytesGiveThreePartsOfTheTruncatedShare) {
    DownloadPlan plan = PlanDownload(8388606, 4, true);
    EXPECT_EQ(plan.partCount, 3);
    EXPECT_EQ(Ranges(plan), (std::vector<std::string>{"0-2796201", "2796202-5592403", "5592404-"}));
}

TEST(DownloadPlanSplit, TwoHundredMebibytesFollowTheThreadCount) {
    DownloadPlan ten = PlanDownload(209715200, 10, true);
    EXPECT_EQ(ten.partCount, 10);
    ASSERT_EQ(ten.parts.size(), 10u);
    EXPECT_EQ(ten.parts[9].first, 9 * 20971520);
    EXPECT_EQ(ten.parts[9].last, -1);
    DownloadPlan four = PlanDownload(209715200, 4, true);
    EXPECT_EQ(four.partCount, 4);
    EXPECT_EQ(four.parts.size(), 4u);
}

TEST(DownloadPlanSplit, WithoutRangesOneTransferButTheCountIsStillLowered) {
    DownloadPlan plan = PlanDownload(8388608, 10, false);
    EXPECT_EQ(plan.partCount, 4);
    EXPECT_EQ(Ranges(plan), std::vector<std::string>{"0-whole"});
}

TEST(DownloadPlanSplit, ResourcesPastFourGibibytesSplitWithSixtyFourBitOffsets) {
    const double size = 6442450946.0;  // 6 GiB + 2: the part size itself exceeds 2^31 / 4
    DownloadPlan plan = PlanDownload(size, 10, true);
    ASSERT_EQ(plan.partCount, 10);
    const std::int64_t partSize = 644245094;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(plan.parts[i].first, i * partSize) << i;
        EXPECT_EQ(plan.parts[i].last, i < 9 ? (i + 1) * partSize - 1 : -1) << i;
    }
    EXPECT_GT(plan.parts[9].first, INT64_C(4294967296));
}

// The record reads back exactly as written; anything else (cut short, ranges out of order,
// overlapping or past the length, fields missing or with line breaks) is no record at all.
TEST(ResumeRecord, ReadsBackAsWrittenAndRefusesAnythingElse) {
    ResumeRecord record;
    record.identity = "9f86d081 1.2.0.4";
    record.url = "https://cdn.example/Setup.exe?a=1 b";
    record.validator = "\"abc\"";
    record.length = INT64_C(5000000000);
    record.ranges = {{0, 100}, {200, 300}, {INT64_C(4999999000), INT64_C(5000000000)}};
    const std::string text = FormatResumeRecord(record);
    ResumeRecord read;
    ASSERT_TRUE(ParseResumeRecord(text, read));
    EXPECT_EQ(read.identity, record.identity);
    EXPECT_EQ(read.url, record.url);
    EXPECT_EQ(read.validator, record.validator);
    EXPECT_EQ(read.length, record.length);
    EXPECT_EQ(read.ranges, record.ranges);
    EXPECT_EQ(read.KeptBytes(), 1200);

    auto with = [&text](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    const std::string bad[] = {
        text.substr(0, text.size() - 1),             // cut short
        text.substr(0, text.find("end")),            // no end line
        with("loader-resume 1", "loader-resume 2"),  //
        with("range 200 300", "range 50 300"),       // overlapping
        with("range 200 300", "range 100 300"),      // touching: one range
        with("range 200 300", "range 300 300"),      // empty
        with("range 0 100", "range 0 5000000001"),   // past the length
        with("length 5000000000", "length -1"),      //
        with("length 5000000000", "length 5e9"),     //
        with("range 0 100", "range 0 0x64"),         //
        with("range 0 100", "range 0 0100"),         // another text for the same record
        with("url https", "url \rhttps"),            // a line end the record never writes
        with("validator \"abc\"", "validator "),     // missing
        with("url https", "uri https"),              //
        with("range 0 100\n", "range 0 100\nlength 1\n"),
        std::string(70000, 'x'),
    };
    for (const std::string& text : bad) {
        ResumeRecord untouched;
        untouched.length = 7;
        EXPECT_FALSE(ParseResumeRecord(text, untouched)) << text;
        EXPECT_EQ(untouched.length, 7);
    }
    record.url = "https://a\r\nrange 0 1";
    EXPECT_EQ(FormatResumeRecord(record), "");
}

}  // namespace
