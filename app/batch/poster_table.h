// Posters from a table file, read as it goes: each row becomes a poster in the
// program's texts (GBK, CR LF breaks) or a failure naming the row and why.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "app/batch/batch_arguments.h"
#include "app/poster/table_reader.h"

namespace app {

class PosterTable {
public:
    // defaultBody (GBK, CR LF) is the body of rows that have only a title. A
    // first row naming any of columnNames (GBK: the poster's placeholders) is
    // the table's header, and those columns' cells come with each poster.
    PosterTable(const std::wstring& path, std::string defaultBody, std::vector<std::string> columnNames = {});
    ~PosterTable();
    PosterTable(const PosterTable&) = delete;
    PosterTable& operator=(const PosterTable&) = delete;
    // The next row: true with *failure empty for a poster, true with a failure
    // text (GBK, "第 N 行: ...") for a row that gives none, false at the end.
    bool Next(Poster* poster, std::string* failure);
    // Why the whole table cannot be read (after Next returned false), or None.
    TableError error() const;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string defaultBody_;
    std::vector<std::string> columnNames_;
    std::unique_ptr<TableReader> reader_;
};

// Converts a row's text to the program's (GBK); false when a character has no GBK form.
bool ToProgramText(const std::string& text, TableEncoding encoding, std::string* gbk);

}  // namespace app
