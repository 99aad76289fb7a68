// The record a batch writes beside its output: one CSV line per file it made,
// row it skipped or poster that failed (row, template, output file, result,
// reason), in UTF-8 with its mark so that Excel opens it. A stopped run is
// continued from it; machines sharing a job by rows each keep their own.
// Plain C++: texts here are the program's (GBK); the file is converted to
// UTF-8 and back where it is written and read (record_file.h).
#pragma once
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace app {

// Results as the record spells them.
extern const char kRecordWritten[];  // "写出"
extern const char kRecordSkipped[];  // "跳过"
extern const char kRecordFailed[];   // "失败"
extern const char kRecordStarted[];  // "开始": the first line, naming the table
extern const char kRecordFinished[]; // "完成": the last line of a run that got to its end

struct RecordEntry {
    int row = 0;  // as Excel numbers the table's rows; 0: no table
    std::string templateName, file, result, reason;
};

// The header line (the file's mark is the writer's).
std::string RecordHeader();
// One entry as a CSV line (CR LF), cells quoted where they must be.
std::string RecordLine(const RecordEntry& entry);
// The entries of a record's text (the header and any cut-off last line left out).
std::vector<RecordEntry> ParseRecord(const std::string& text);

// What a record says a run did: the posters it finished (made, skipped or
// failed) by row and template, the table it read, whether it got to its end.
struct RecordedRun {
    std::set<std::pair<int, std::string>> done;
    std::map<std::string, size_t> writtenIn;  // files written, by folder (the path before the last backslash)
    std::string table;
    bool finished = false;
    bool Done(int row, const std::string& templateName) const { return done.count({row, templateName}) != 0; }
};
RecordedRun SummariseRecord(const std::vector<RecordEntry>& entries);

// A share of a job by rows: shard K of N takes the rows whose number modulo N
// is K - 1. The whole job is shard 1 of 1.
struct Shard {
    int index = 1, count = 1;
    bool Takes(int row) const { return count <= 1 || row % count == index - 1; }
    bool Whole() const { return count <= 1; }
};
// "K/N" with 1 <= K <= N <= kMaxShards; false otherwise.
constexpr int kMaxShards = 100000;
bool ParseShard(const std::wstring& text, Shard* shard);
// The record's file name in the output folder: 记录.csv, or 记录-K-N.csv for a shard.
std::string RecordFileName(const Shard& shard);

}  // namespace app
