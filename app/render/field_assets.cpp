#include "app/render/field_assets.h"
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <new>
#include "app/platform/file_io.h"
#include "app/poster/placeholders.h"
#include "app/render/qr_code.h"

namespace app {

namespace pic = imprinta::picture;

const pic::Canvas* FieldPictures::Find(const std::string& path) const {
    for (const Entry& e : entries)
        if (e.path == path) return e.canvas.get();
    return nullptr;
}

uint64_t FieldPictures::ReadingOf(const std::string& path) const {
    for (const Entry& e : entries)
        if (e.path == path) return e.reading;
    return 0;
}

namespace {

// Batches read on their preparing thread while the window reads its own.
uint64_t NextReading() {
    static std::atomic<uint64_t> readings{0};
    return ++readings;
}

// The picture paths of a field, each with what its absence means.
template <typename Visit>
void ForEachPicturePath(const PosterField& f, Visit visit) {
    if (f.kind == FieldKind::Picture) visit(f.picture.path);
    if (f.kind == FieldKind::Qr && f.qr.level == QrLevel::H) visit(f.qr.centrePicture);
}

enum class PictureError { None, Missing, Unreadable, NotAPicture };

const char* PictureErrorText(PictureError e) {
    switch (e) {
    case PictureError::None: return "";
    case PictureError::Missing: return "找不到图片文件";
    case PictureError::Unreadable: return "读不出图片文件";
    case PictureError::NotAPicture: return "不是能读的图片 (PNG、JPEG、BMP、GIF)";
    }
    return "";
}

std::shared_ptr<const pic::Canvas> ReadPicture(const std::string& path, PictureError* error, std::string* why) {
    FileBytes file = ReadWholeFile(path);
    if (file.error) {
        *error = PathExists(path) ? PictureError::Unreadable : PictureError::Missing;
        if (*error == PictureError::Unreadable) *why = ReasonText(file.error);
        return nullptr;
    }
    try {
        std::optional<pic::Canvas> canvas = pic::DecodeCanvas(file.bytes);
        if (canvas) return std::make_shared<const pic::Canvas>(std::move(*canvas));
    } catch (const std::bad_alloc&) {
        *error = PictureError::Unreadable;
        *why = ReasonText(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *error = PictureError::NotAPicture;
    return nullptr;
}

// "照片 ({照片})": the field's name and the columns its value came from.
std::string FieldAndColumns(const PosterField& f, const std::string& unfilledValue) {
    std::string text = f.name;
    const std::vector<std::string> columns = PlaceholderNames(unfilledValue);
    for (size_t i = 0; i < columns.size(); ++i) text += (i ? "、{" : " ({") + columns[i] + (i + 1 == columns.size() ? "})" : "}");
    return text;
}

}  // namespace

bool PrepareFields(const PosterDescription& poster, const PosterDescription& unfilled, FieldPictures* pictures,
                   std::string* problem) {
    for (size_t i = 0; i < poster.fields.size(); ++i) {
        const PosterField& f = poster.fields[i];
        const PosterField& before = i < unfilled.fields.size() ? unfilled.fields[i] : f;
        if (f.kind == FieldKind::Qr) {
            const QrError e = CheckQr(f.qr);
            if (e != QrError::None && e != QrError::Empty) {
                *problem = FieldAndColumns(f, before.qr.text) + ": " + QrErrorText(e);
                return false;
            }
        }
        bool ok = true;
        ForEachPicturePath(f, [&](const std::string& path) {
            if (!ok || path.empty() || pictures->Find(path)) return;
            PictureError error = PictureError::None;
            std::string why;
            std::shared_ptr<const pic::Canvas> canvas = ReadPicture(path, &error, &why);
            if (!canvas) {
                const std::string& value = f.kind == FieldKind::Picture ? before.picture.path : before.qr.centrePicture;
                *problem = FieldAndColumns(f, value) + ": " + PictureErrorText(error) + " " + path + (why.empty() ? "" : " (" + why + ")");
                ok = false;
                return;
            }
            pictures->entries.push_back({path, std::move(canvas), NextReading()});
        });
        if (!ok) return false;
    }
    return true;
}

namespace {

struct KeptPicture {
    std::string path;
    FileStamp stamp;
    std::shared_ptr<const pic::Canvas> canvas;  // null: could not be read
    uint64_t reading = 0;
};

}  // namespace

const FieldPictures& PreviewFieldPictures(const PosterDescription& poster) {
    static std::vector<KeptPicture> kept;
    static FieldPictures shown;
    std::vector<KeptPicture> now;
    for (const PosterField& f : poster.fields)
        ForEachPicturePath(f, [&](const std::string& path) {
            if (path.empty() || std::any_of(now.begin(), now.end(), [&](const KeptPicture& k) { return k.path == path; }))
                return;
            const FileStamp stamp = StampOf(path);
            auto old = std::find_if(kept.begin(), kept.end(), [&](const KeptPicture& k) { return k.path == path; });
            if (old != kept.end() && old->stamp == stamp) {
                now.push_back(*old);
                return;
            }
            PictureError error = PictureError::None;
            std::string why;
            now.push_back({path, stamp, stamp.found ? ReadPicture(path, &error, &why) : nullptr, NextReading()});
        });
    kept.swap(now);
    shown.entries.clear();
    for (const KeptPicture& k : kept)
        if (k.canvas) shown.entries.push_back({k.path, k.canvas, k.reading});
    return shown;
}

}  // namespace app
