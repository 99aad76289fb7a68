#include "app/batch/batch_record.h"
#include <cstdint>
#include "app/poster/typed_number.h"

namespace app {

const char kRecordWritten[] = "写出";
const char kRecordSkipped[] = "跳过";
const char kRecordFailed[] = "失败";
const char kRecordStarted[] = "开始";
const char kRecordFinished[] = "完成";

namespace {

constexpr size_t kColumns = 5;

bool NeedsQuotes(const std::string& cell) { return cell.find_first_of(",\"\r\n") != std::string::npos; }

std::string Cell(const std::string& cell) {
    if (!NeedsQuotes(cell)) return cell;
    std::string out = "\"";
    for (char c : cell) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The cells of one CSV record starting at pos; pos moves past its line end.
// False when the text ends inside the record (a line cut off by a stop).
bool ReadCsvRecord(const std::string& text, size_t* pos, std::vector<std::string>* cells) {
    cells->assign(1, "");
    size_t i = *pos;
    bool quoted = false;
    while (i < text.size()) {
        const char c = text[i++];
        if (quoted) {
            if (c != '"') cells->back() += c;
            else if (i < text.size() && text[i] == '"') cells->back() += '"', ++i;
            else quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells->emplace_back();
        } else if (c == '\n') {
            *pos = i;
            return true;
        } else if (c != '\r') {
            cells->back() += c;
        }
    }
    *pos = i;
    return false;
}

}  // namespace

std::string RecordHeader() { return "行,模板,输出文件,结果,原因\r\n"; }

std::string RecordLine(const RecordEntry& e) {
    return (e.row > 0 ? std::to_string(e.row) : std::string()) + "," + Cell(e.templateName) + "," + Cell(e.file) +
           "," + Cell(e.result) + "," + Cell(e.reason) + "\r\n";
}

std::vector<RecordEntry> ParseRecord(const std::string& text) {
    std::vector<RecordEntry> entries;
    std::vector<std::string> cells;
    size_t pos = 0;
    ReadCsvRecord(text, &pos, &cells);  // the header
    while (pos < text.size() && ReadCsvRecord(text, &pos, &cells)) {
        if (cells.size() != kColumns) continue;
        RecordEntry e;
        int64_t row = 0;
        if (!cells[0].empty() && (!ReadWholeNumber(cells[0], &row) || row <= 0 || row > INT32_MAX)) continue;
        e.row = static_cast<int>(row);
        e.templateName = cells[1], e.file = cells[2], e.result = cells[3], e.reason = cells[4];
        entries.push_back(std::move(e));
    }
    return entries;
}

RecordedRun SummariseRecord(const std::vector<RecordEntry>& entries) {
    RecordedRun run;
    for (const RecordEntry& e : entries) {
        if (e.result == kRecordStarted) run.table = e.file;
        else if (e.result == kRecordFinished) run.finished = true;
        else run.done.insert({e.row, e.templateName});
        if (e.result == kRecordWritten) ++run.writtenIn[e.file.substr(0, e.file.rfind('\\') + 1)];
    }
    return run;
}

bool ParseShard(const std::wstring& text, Shard* shard) {
    const size_t slash = text.find(L'/');
    if (slash == std::wstring::npos) return false;
    int64_t k = 0, n = 0;
    if (!ReadWholeNumber(HalfWidthNumberText(text.substr(0, slash)), &k) ||
        !ReadWholeNumber(HalfWidthNumberText(text.substr(slash + 1)), &n) || n < 1 || n > kMaxShards || k < 1 || k > n)
        return false;
    shard->index = static_cast<int>(k), shard->count = static_cast<int>(n);
    return true;
}

std::string RecordFileName(const Shard& shard) {
    if (shard.Whole()) return "记录.csv";
    return "记录-" + std::to_string(shard.index) + "-" + std::to_string(shard.count) + ".csv";
}

}  // namespace app
