// The batch record's lines read back as written (quotes, commas and line
// breaks in cells, a last line cut off by a stop), what a record says a run
// did, and the rows a share of a job takes.
#include <gtest/gtest.h>
#include "app/batch/batch_record.h"

using namespace app;

TEST(BatchRecord, LinesReadBackAsWrittenAndACutLineIsLeftOut) {
    const RecordEntry entries[] = {
        {0, "", "D:\\表格.csv", kRecordStarted, ""},
        {2, "模板\\a.png", "out\\1\\p1.png", kRecordWritten, ""},
        {3, "模板\\a, \"b\".png", "out\\1\\x.png", kRecordFailed, "写不了\r\n第二行"},
        {4, "", "", kRecordSkipped, "第 4 行: 文件名不能含有 \\ 或 /"},
    };
    std::string text = RecordHeader();
    for (const RecordEntry& e : entries) text += RecordLine(e);
    const std::string whole = text;
    text += "5,模板\\a.png,out\\1\\p5.png,写出,";  // the stop came before this line's end
    for (const std::string& t : {whole, text}) {
        const std::vector<RecordEntry> back = ParseRecord(t);
        ASSERT_EQ(std::size(entries), back.size());
        for (size_t i = 0; i < back.size(); ++i) {
            EXPECT_EQ(entries[i].row, back[i].row) << i;
            EXPECT_EQ(entries[i].templateName, back[i].templateName) << i;
            EXPECT_EQ(entries[i].file, back[i].file) << i;
            EXPECT_EQ(entries[i].result, back[i].result) << i;
            EXPECT_EQ(entries[i].reason, back[i].reason) << i;
        }
    }
    const RecordedRun run = SummariseRecord(ParseRecord(whole));
    EXPECT_EQ("D:\\表格.csv", run.table);
    EXPECT_FALSE(run.finished);
    EXPECT_TRUE(run.Done(2, "模板\\a.png"));
    EXPECT_TRUE(run.Done(4, ""));
    EXPECT_FALSE(run.Done(5, "模板\\a.png"));
    EXPECT_EQ((std::map<std::string, size_t>{{"out\\1\\", 1}}), run.writtenIn);
    EXPECT_TRUE(SummariseRecord(ParseRecord(whole + RecordLine({0, "", "", kRecordFinished, ""}))).finished);
}

TEST(BatchRecord, ShardsTakeEachRowOnce) {
    const struct {
        const wchar_t* text;
        bool ok;
        int index, count;
    } cases[] = {
        {L"1/3", true, 1, 3}, {L"3/3", true, 3, 3}, {L"１／２", false, 0, 0}, {L"２/２", true, 2, 2},
        {L"1/1", true, 1, 1}, {L"0/3", false, 0, 0}, {L"4/3", false, 0, 0},  {L"3", false, 0, 0},
        {L"1/0", false, 0, 0}, {L"a/3", false, 0, 0}, {L"1/100001", false, 0, 0}, {L"-1/3", false, 0, 0},
    };
    for (const auto& c : cases) {
        Shard s;
        EXPECT_EQ(c.ok, ParseShard(c.text, &s)) << static_cast<int>(c.text[0]);
        if (c.ok) EXPECT_EQ(c.index * 1000 + c.count, s.index * 1000 + s.count);
    }
    const int kCount = 3;
    for (int row = 1; row <= 30; ++row) {
        int takers = 0;
        for (int k = 1; k <= kCount; ++k) takers += Shard{k, kCount}.Takes(row);
        EXPECT_EQ(1, takers) << row;
        EXPECT_TRUE(Shard{}.Takes(row));
    }
    EXPECT_TRUE((Shard{2, 3}.Takes(4)));  // 4 mod 3 is 1
    EXPECT_EQ("记录.csv", RecordFileName({}));
    EXPECT_EQ("记录-2-3.csv", RecordFileName({2, 3}));
}
