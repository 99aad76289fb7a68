// The pictures a poster's picture fields (and QR codes' centres) draw, read
// from their files and decoded before the poster is drawn. A batch reads the
// files on the thread that prepares each poster, so a row whose picture is
// missing, or whose code does not fit, fails with the reason before anything
// is written; the decoding, which costs most, is left to the drawing threads.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "runtime/pictures/picture_canvas.h"

namespace app {

struct FieldPictures {
    struct Entry {
        std::string path;
        std::shared_ptr<const imprinta::picture::Canvas> canvas;
        // Which reading of the file this is (a new number each time it is
        // read): what was drawn from one reading is not reused for another.
        uint64_t reading = 0;
    };
    std::vector<Entry> entries;
    // The picture read from that path, or null.
    const imprinta::picture::Canvas* Find(const std::string& path) const;
    // Its reading, or 0 when there is none.
    uint64_t ReadingOf(const std::string& path) const;
};

// Reads and decodes each picture the poster's fields name (each path once) and
// checks each QR code against its level and size. False at the first field
// that cannot be drawn, with *problem saying which field, the columns its
// value came from (as `unfilled`, the poster before a row filled it, names
// them) and why: "照片 ({照片}): 找不到图片文件 D:\\相册\\a.jpg".
bool PrepareFields(const PosterDescription& poster, const PosterDescription& unfilled, FieldPictures* pictures,
                   std::string* problem);

// A row's picture files read, not yet decoded, and its codes checked; decoded
// once by the first thread that draws one of the row's posters (the others
// wait for it and share the pictures).
class RowPictures {
public:
    RowPictures();
    ~RowPictures();
    RowPictures(const RowPictures&) = delete;
    RowPictures& operator=(const RowPictures&) = delete;
    // False at the first field that cannot be drawn, with *problem said as
    // PrepareFields says it. Preparing thread only, before any Decoded.
    bool Read(const PosterDescription& poster, const PosterDescription& unfilled, std::string* problem);
    // The pictures, or null with *problem when a file holds no picture the
    // program reads. Any thread.
    const FieldPictures* Decoded(std::string* problem);

private:
    struct File {
        std::string path, field;  // field: its name and columns, as a problem names them
        std::vector<uint8_t> bytes;
    };
    std::vector<File> files_;
    CRITICAL_SECTION lock_;
    bool decoded_ = false;
    FieldPictures pictures_;
    std::string problem_;
};

// Every problem of the poster's fields that PrepareFields would stop at, said
// in its words, found without decoding: a file missing, unreadable or of no
// picture format; a code too long for its level and size. For checking a
// table before the run.
std::vector<std::string> CheckFieldFiles(const PosterDescription& poster, const PosterDescription& unfilled);

// The window's pictures: kept between keystrokes, read again when a file's
// time or size changes; a picture that cannot be read is left out (its field
// draws nothing). User-interface thread only.
const FieldPictures& PreviewFieldPictures(const PosterDescription& poster);

}  // namespace app
