// The batch record on disk (batch_record.h): written a line at a time as the
// run commits its files, so a run stopped in any way leaves a record of what
// it finished; read back to continue it.
#pragma once
#include <windows.h>
#include <string>
#include "app/batch/batch_record.h"

namespace app {

class RecordFile {
public:
    // A new record at path (replacing one there), or with append the one there
    // continued (begun when missing). ok() is false when it cannot be written.
    RecordFile(const std::string& path, bool append);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    bool ok() const { return file_ != INVALID_HANDLE_VALUE; }
    void Add(const RecordEntry& entry);

private:
    void Put(const std::string& gbk);
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// What the record at path says (nothing done when there is none).
RecordedRun ReadRecordFile(const std::string& path);

}  // namespace app
