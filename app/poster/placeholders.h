// Placeholders: "{列名}" in a text field's text stands for the cell of the
// table column with that header ("{日期}", "{地点}"), so one poster serves every
// row of a table. A table row fills a poster (FillFromRow): the title and the
// body take the row's first two columns as they always did, unless their own
// text holds placeholders, which are filled instead.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "app/poster/poster.h"

namespace app {

// A row's cells by their column's header (GBK, both trimmed of nothing).
using RowValues = std::vector<std::pair<std::string, std::string>>;

// The names of the placeholders in a text, each once, in the order they first stand.
std::vector<std::string> PlaceholderNames(const std::string& gbk);
// Every placeholder name of the poster's fields (texts, picture paths, QR
// texts), each once.
std::vector<std::string> PlaceholderNames(const PosterDescription& poster);

// The text with each placeholder whose column the row has replaced by its
// cell; the others stay as they stand, and their names are added to *missing
// (each once).
std::string FillPlaceholders(const std::string& gbk, const RowValues& row, std::vector<std::string>* missing);

// What a table row gives a poster: its title and body cells when the table
// has them, and every cell by its header.
struct RowTexts {
    const std::string* title = nullptr;  // null: the row has no title column
    const std::string* body = nullptr;
    RowValues values;
    // The table's folder, ending in a backslash: a relative picture path that
    // a row filled in names a file there. Empty: paths stay as filled.
    std::string folder{};
};
void FillFromRow(PosterDescription& poster, const RowTexts& row, std::vector<std::string>* missing);
// What a batch says of a row whose placeholders named columns the table lacks.
std::string MissingColumnsText(const std::vector<std::string>& missing);

}  // namespace app
