#include "app/render/field_assets.h"
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <new>
#include <span>
#include "app/platform/file_io.h"
#include "app/poster/placeholders.h"
#include "app/render/qr_code.h"
#include "runtime/pictures/picture_decode.h"

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

// Batches decode on their drawing threads while the window reads its own.
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

// Reads a picture file's bytes: None, Missing or Unreadable (with *why).
PictureError ReadPictureBytes(const std::string& path, std::vector<uint8_t>* bytes, std::string* why) {
    FileBytes file = ReadWholeFile(path);
    if (!file.error) {
        bytes->swap(file.bytes);
        return PictureError::None;
    }
    if (!PathExists(path)) return PictureError::Missing;
    *why = ReasonText(file.error);
    return PictureError::Unreadable;
}

std::shared_ptr<const pic::Canvas> DecodePictureBytes(std::span<const uint8_t> bytes, PictureError* error, std::string* why) {
    try {
        std::optional<pic::Canvas> canvas = pic::DecodeCanvas(bytes);
        if (canvas) return std::make_shared<const pic::Canvas>(std::move(*canvas));
    } catch (const std::bad_alloc&) {
        *error = PictureError::Unreadable;
        *why = ReasonText(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *error = PictureError::NotAPicture;
    return nullptr;
}

std::shared_ptr<const pic::Canvas> ReadPicture(const std::string& path, PictureError* error, std::string* why) {
    std::vector<uint8_t> bytes;
    *error = ReadPictureBytes(path, &bytes, why);
    return *error == PictureError::None ? DecodePictureBytes(bytes, error, why) : nullptr;
}

// "照片 ({照片})": the field's name and the columns its value came from.
std::string FieldAndColumns(const PosterField& f, const std::string& unfilledValue) {
    std::string text = f.name;
    const std::vector<std::string> columns = PlaceholderNames(unfilledValue);
    for (size_t i = 0; i < columns.size(); ++i) text += (i ? "、{" : " ({") + columns[i] + (i + 1 == columns.size() ? "})" : "}");
    return text;
}

// "照片 ({照片}): 找不到图片文件 D:\\相册\\a.jpg"
std::string PictureProblem(const std::string& field, PictureError error, const std::string& path, const std::string& why) {
    return field + ": " + PictureErrorText(error) + " " + path + (why.empty() ? "" : " (" + why + ")");
}

// The field's problem with its code, or empty.
std::string QrProblem(const PosterField& f, const PosterField& before) {
    if (f.kind != FieldKind::Qr) return "";
    const QrError e = CheckQr(f.qr);
    return e == QrError::None || e == QrError::Empty ? "" : FieldAndColumns(f, before.qr.text) + ": " + QrErrorText(e);
}

// Each field with the field before a row filled it, each picture path it
// names with the name and columns a problem gives it.
template <typename Visit>
void ForEachFieldFile(const PosterDescription& poster, const PosterDescription& unfilled, Visit visit) {
    for (size_t i = 0; i < poster.fields.size(); ++i) {
        const PosterField& f = poster.fields[i];
        const PosterField& before = i < unfilled.fields.size() ? unfilled.fields[i] : f;
        const std::string& value = f.kind == FieldKind::Picture ? before.picture.path : before.qr.centrePicture;
        ForEachPicturePath(f, [&](const std::string& path) {
            if (!path.empty()) visit(path, [&] { return FieldAndColumns(f, value); });
        });
    }
}

// The first problem of a code in the poster, or empty.
std::string FirstQrProblem(const PosterDescription& poster, const PosterDescription& unfilled) {
    for (size_t i = 0; i < poster.fields.size(); ++i) {
        std::string problem = QrProblem(poster.fields[i], i < unfilled.fields.size() ? unfilled.fields[i] : poster.fields[i]);
        if (!problem.empty()) return problem;
    }
    return "";
}

}  // namespace

bool PrepareFields(const PosterDescription& poster, const PosterDescription& unfilled, FieldPictures* pictures,
                   std::string* problem) {
    *problem = FirstQrProblem(poster, unfilled);
    ForEachFieldFile(poster, unfilled, [&](const std::string& path, auto fieldName) {
        if (!problem->empty() || pictures->Find(path)) return;
        PictureError error = PictureError::None;
        std::string why;
        std::shared_ptr<const pic::Canvas> canvas = ReadPicture(path, &error, &why);
        if (canvas) pictures->entries.push_back({path, std::move(canvas), NextReading()});
        else *problem = PictureProblem(fieldName(), error, path, why);
    });
    return problem->empty();
}

RowPictures::RowPictures() { InitializeCriticalSection(&lock_); }

RowPictures::~RowPictures() { DeleteCriticalSection(&lock_); }

bool RowPictures::Read(const PosterDescription& poster, const PosterDescription& unfilled, std::string* problem) {
    *problem = FirstQrProblem(poster, unfilled);
    ForEachFieldFile(poster, unfilled, [&](const std::string& path, auto fieldName) {
        if (!problem->empty() || std::any_of(files_.begin(), files_.end(), [&](const File& f) { return f.path == path; }))
            return;
        File file{path, fieldName(), {}};
        std::string why;
        const PictureError error = ReadPictureBytes(path, &file.bytes, &why);
        if (error != PictureError::None) *problem = PictureProblem(file.field, error, path, why);
        else files_.push_back(std::move(file));
    });
    return problem->empty();
}

const FieldPictures* RowPictures::Decoded(std::string* problem) {
    EnterCriticalSection(&lock_);
    if (!decoded_) {
        for (File& file : files_) {
            if (!problem_.empty()) break;
            PictureError error = PictureError::None;
            std::string why;
            std::shared_ptr<const pic::Canvas> canvas = DecodePictureBytes(file.bytes, &error, &why);
            if (canvas) pictures_.entries.push_back({file.path, std::move(canvas), NextReading()});
            else problem_ = PictureProblem(file.field, error, file.path, why);
        }
        files_.clear();  // the bytes are not needed again
        decoded_ = true;
    }
    LeaveCriticalSection(&lock_);
    *problem = problem_;
    return problem_.empty() ? &pictures_ : nullptr;
}

std::vector<std::string> CheckFieldFiles(const PosterDescription& poster, const PosterDescription& unfilled) {
    // Enough of a file for the format's signature.
    constexpr size_t kSignatureBytes = 8;
    std::vector<std::string> problems;
    for (size_t i = 0; i < poster.fields.size(); ++i) {
        std::string problem = QrProblem(poster.fields[i], i < unfilled.fields.size() ? unfilled.fields[i] : poster.fields[i]);
        if (!problem.empty()) problems.push_back(std::move(problem));
    }
    ForEachFieldFile(poster, unfilled, [&](const std::string& path, auto fieldName) {
        const FileBytes start = ReadFileStart(path, kSignatureBytes);
        PictureError error = PictureError::None;
        std::string why;
        if (start.error) {
            error = PathExists(path) ? PictureError::Unreadable : PictureError::Missing;
            if (error == PictureError::Unreadable) why = ReasonText(start.error);
        } else if (pic::SniffPictureFormat(start.bytes) == pic::PictureFormat::Unknown) {
            error = PictureError::NotAPicture;
        }
        if (error != PictureError::None) problems.push_back(PictureProblem(fieldName(), error, path, why));
    });
    return problems;
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
