// Fonts measured for the batch's check, fast enough for tables of ten
// thousand rows: each character's advance is measured once per font (GDI+,
// bold, as the texts are drawn) and a line's width is their sum at its size;
// whether the font has a glyph for a character is asked of GDI once per
// character. Main thread only.
#pragma once
#include <map>
#include <memory>
#include <string>
#include "app/poster/poster_check.h"

namespace app {

class FontMetricsCache {
public:
    FontMetricsCache();
    ~FontMetricsCache();
    FontMetricsCache(const FontMetricsCache&) = delete;
    FontMetricsCache& operator=(const FontMetricsCache&) = delete;
    // The font of that family name (GBK); valid while the cache lives.
    const FontMetrics& For(const std::string& family);

private:
    struct Face;
    std::map<std::string, std::unique_ptr<Face>> faces_;
    uint32_t bitmap_ = 0, graphics_ = 0;
};

}  // namespace app
