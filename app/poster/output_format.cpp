#include "app/poster/output_format.h"

namespace app {

bool FormatFromName(const std::string& name, FileFormat* kind) {
    std::string lower;
    for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower == "png") return *kind = FileFormat::Png, true;
    if (lower == "jpg" || lower == "jpeg") return *kind = FileFormat::Jpeg, true;
    return false;
}

}  // namespace app
