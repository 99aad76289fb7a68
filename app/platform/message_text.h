// Messages laid out to be read whole: a message box sizes itself to its
// longest line and cuts off what passes the screen, and a path has no space
// to break at. Plain C++, header-only: texts are GBK (code page 936) bytes.
#pragma once
#include <cstddef>
#include <string>

namespace app {

// The widest line a message box shows whole at 1366 x 768, with room to spare.
constexpr size_t kMessageColumns = 72;

// Lines longer than columns (a GBK character counts two) are broken after the
// last path separator, space or comma when that leaves the line at least half
// full, else between whole characters. Existing line breaks (CR LF) are kept;
// the breaks made here are a lone LF, which a message box draws the same, so
// the text as written can still be told from its layout.
inline std::string FittedMessage(const std::string& gbk, size_t columns = kMessageColumns) {
    std::string out;
    size_t width = 0;                                      // of out's last line, in columns
    size_t breakAt = std::string::npos, widthAtBreak = 0;  // just after the line's last separator
    for (size_t i = 0; i < gbk.size();) {
        const unsigned char c = static_cast<unsigned char>(gbk[i]);
        if (c == '\r' || c == '\n') {
            out += gbk[i++];
            width = 0;
            breakAt = std::string::npos;
            continue;
        }
        const size_t size = c >= 0x81 && c <= 0xFE && i + 1 < gbk.size() ? 2 : 1;
        if (width + size > columns) {
            if (breakAt != std::string::npos && widthAtBreak * 2 >= columns) {
                out.insert(breakAt, "\n");
                width -= widthAtBreak;
            } else {
                out += "\n";
                width = 0;
            }
            breakAt = std::string::npos;
        }
        out.append(gbk, i, size);
        width += size;
        i += size;
        if (size == 1 && (c == '\\' || c == '/' || c == ' ' || c == ',')) {
            breakAt = out.size();
            widthAtBreak = width;
        }
    }
    return out;
}

}  // namespace app
