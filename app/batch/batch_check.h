// A table batch checked before it runs, writing nothing: every row's poster
// laid out at full size on each size of template, for texts beyond the
// picture, too wide after shrinking or shrunk below the smallest size allowed,
// characters the font has no glyph for; picture files missing, unreadable or
// of no picture format and QR codes too long, in the batch's words; templates
// that cannot be read;
// duplicate output names; rows that cannot be used (cells too long among
// them). Problems are said by row, as Excel numbers the rows.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "app/batch/batch_arguments.h"
#include "app/poster/poster.h"
#include "app/render/font_metrics.h"

namespace app {

struct CheckedTemplate {
    std::string name;
    uint32_t width = 0, height = 0;
    uint32_t error = 0;  // why it cannot be read (0: it can)
};

class BatchCheck {
public:
    // tableFolder: where the rows' relative picture paths point (the table's folder, with its backslash).
    BatchCheck(PosterDescription stored, const std::vector<CheckedTemplate>& templates, std::string tableFolder,
               int32_t smallestPercent = kDefaultSmallestPercent);
    void Row(const Poster& poster);
    void Refused(int row, const std::string& failure);  // a row the table cannot give (GBK text with its row)
    // "第 N 行: ..." (templates: "模板 ...") in the order found.
    const std::vector<std::string>& problems() const { return problems_; }
    size_t rows() const { return rows_; }
    size_t rowsWithProblems() const { return badRows_.size(); }

private:
    void Say(int row, const std::string& what);
    PosterDescription stored_;
    std::vector<std::pair<uint32_t, uint32_t>> sizes_;  // each readable template size once
    std::string tableFolder_;
    int32_t smallestPercent_;
    FontMetricsCache fonts_;
    std::map<std::string, int> names_;  // output name (ASCII letters lowered) -> its first row
    std::set<int> badRows_;
    std::vector<std::string> problems_;
    size_t rows_ = 0;
};

}  // namespace app
