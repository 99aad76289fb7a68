// The batch overview window ("总览"): every poster of a table batch as a
// thumbnail in a scrolling grid, the row number under each and rows with
// problems framed red, drawn on worker threads and filled in as they come while
// the window answers; "保存总览" writes the grid as one picture.
#pragma once
#include <string>
#include <vector>
#include "app/render/contact_sheet.h"

namespace app {

struct SheetRequest {
    std::vector<SheetEntry> entries;  // in run order; their template bytes stay the caller's
    uint32_t templateWidth = 0, templateHeight = 0;  // the first template's: the thumbnails' box
    std::string labelFont;
    std::string savePath;  // offered by 保存总览 (GBK)
    size_t total = 0;      // the batch's posters, when entries holds only the first of them
};

// The most posters the window lays out: the grid of 300 takes about 70 MB.
constexpr size_t kMostSheetPosters = 300;

// Shows the window and returns once it is closed (modal over the main window).
void ShowSheetWindow(SheetRequest request);

}  // namespace app
