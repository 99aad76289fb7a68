// The file format of written posters: PNG (as always) or JPEG with a quality.
// Chosen once (pz.ini, or --format/--quality) for the export button and both batches.
#pragma once
#include <cstdint>
#include <string>

namespace app {

enum class FileFormat { Png, Jpeg };

struct OutputFormat {
    FileFormat kind = FileFormat::Png;
    int quality = 90;  // JPEG only, 1 to 100
};

constexpr int kMinJpegQuality = 1, kMaxJpegQuality = 100;

// ".png" or ".jpg".
inline const char* ExtensionOf(FileFormat kind) { return kind == FileFormat::Jpeg ? ".jpg" : ".png"; }
// "png", "jpg" or "jpeg" (any case); false for anything else.
bool FormatFromName(const std::string& name, FileFormat* kind);
// The stored name of a format: "png" or "jpg".
inline const char* NameOf(FileFormat kind) { return kind == FileFormat::Jpeg ? "jpg" : "png"; }

}  // namespace app
