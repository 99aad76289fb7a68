// The renderer's fast path: templates are decoded by the program's own
// decoders (through the shared picture cache) into memory GDI+ draws on in
// place, and results are written by the program's PNG encoder. The text itself
// is still drawn by GDI+, so the glyphs are exactly those of the all-GDI+ path,
// which remains for the formats the fast path leaves to GDI+.
#include "app/render/renderer.h"
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "app/render/field_pixels.h"
#include "app/render/gdiplus_path.h"
#include "app/render/qr_code.h"
#include "app/platform/runtime_calls.h"
#include "app/render/text_layers.h"
#include "app/render/text_render.h"
#include "app/poster/text_limits.h"
#include "runtime/core/blocks.h"
#include "runtime/pictures/jpeg_encode.h"
#include "runtime/pictures/picture_cache.h"
#include "runtime/pictures/picture_scale.h"
#include "runtime/pictures/png_bands.h"
#include "runtime/pictures/png_encode.h"

namespace app {

namespace pic = imprinta::picture;
using namespace gdiplus;

namespace {

std::span<const uint8_t> BytesOf(const void* byteSet) {
    return {ByteSetData(const_cast<void*>(byteSet)), ByteSetLength(byteSet)};
}

// Pictures decoded here: every PNG, JPEG, BMP and GIF. JPEG pixels are
// libjpeg-turbo's (as in most viewers and browsers), which differ slightly from
// those of GDI+'s own JPEG decoder; the others equal GDI+'s. Icons (GDI+ picks
// another entry), PCX (GDI+ has no decoder) and anything unrecognised go the
// all-GDI+ way.
bool DecodedHere(std::span<const uint8_t> bytes) {
    switch (pic::SniffPictureFormat(bytes)) {
    case pic::PictureFormat::Png:
    case pic::PictureFormat::Jpeg:
    case pic::PictureFormat::Bmp:
    case pic::PictureFormat::Gif: return true;
    default: return false;
    }
}

// A canvas of the picture that this call may draw on: the cache's own when
// nobody else holds it (a previous result handed on), else a copy. A picture
// of camera size or more is taken out of the cache rather than copied: its
// previews come from the copy kept at the shown size, and its full-size
// compositions (export, batch) are rare enough to decode it again.
constexpr size_t kTakenNotCopiedBytes = size_t(32) << 20;  // 8 M pixels

pic::SharedCanvas WorkingCanvas(std::span<const uint8_t> bytes) {
    const pic::PictureKey key = pic::KeyOf(bytes);
    pic::SharedCanvas canvas = pic::DecodeCanvasCached(key, bytes, pic::CacheUse::Keep);
    if (!canvas || canvas.use_count() == 1) return canvas;
    if (canvas->bgra.size() >= kTakenNotCopiedBytes) {
        pic::SharedPictureCache().Take(key);
        if (canvas.use_count() == 1) return canvas;
    }
    try {
        return std::make_shared<pic::Canvas>(*canvas);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Chosen by measurement under Wine: on a 1080 x 1920 photo-like poster,
// deflating took about 70 ms at level 1, while writing the rows uncompressed
// takes about 13 ms. Pictures people keep are packed Small (paid once per kept
// file). A first pass, read back at once, always goes uncompressed (it lives
// for one refresh, and zlib streams it without a second buffer). A preview,
// replaced by the next keystroke and repacked when exported, goes uncompressed
// up to camera size and at level 1 beyond, where two uncompressed copies (the
// current picture and the picture box's) would cost too much memory.
constexpr int kLargeShownLevel = 1;
constexpr uint64_t kShownStoredLimit = uint64_t(128) << 20;  // 32 M pixels

constexpr uint64_t kKeptStreamedFrom = uint64_t(16) << 20;  // pixels

pic::PngEncodeOptions EncodingFor(ResultUse use, const pic::Canvas& canvas) {
    const uint64_t raw = uint64_t(canvas.Stride()) * canvas.height;
    pic::PngEncodeOptions options;
    if (use == ResultUse::Kept) {
        options.compression = pic::PngCompression::Small;
        const bool large = uint64_t(canvas.width) * canvas.height >= pic::kSmallLevelLargeFrom;
        options.level = large ? pic::kSmallLevelLarge : pic::kSmallLevel;
        // One-shot packing holds the filtered picture and an output as large
        // beside the picture itself: on a camera photo that is more than the
        // program may use. Row by row, only the packed file grows.
        if (uint64_t(canvas.width) * canvas.height >= kKeptStreamedFrom) options.oneShotLimit = 0;
    } else if (use == ResultUse::ReadBackAtOnce || raw <= kShownStoredLimit) {
        options.compression = pic::PngCompression::Stored;
    } else {
        options.level = kLargeShownLevel;
    }
    return options;
}

// Kept PNGs are packed in bands on all cores; a poster-sized picture's bands
// are kept for the next picture of its template, which then packs only the
// rows its texts changed. The largest pictures stream through zlib (above).
constexpr uint64_t kBandsKeptUpTo = uint64_t(4) << 20;  // pixels

std::vector<uint8_t> EncodeKept(const pic::Canvas& canvas) {
    pic::PngEncodeOptions options = EncodingFor(ResultUse::Kept, canvas);
    const uint64_t pixels = uint64_t(canvas.width) * canvas.height;
    if (pixels >= kKeptStreamedFrom) return pic::EncodePng(canvas, options);
    std::vector<uint8_t> png =
        pic::EncodePngInBands(canvas, options.level, pixels <= kBandsKeptUpTo ? &pic::SharedPngBands() : nullptr);
    if (!png.empty()) return png;
    options.oneShotLimit = 0;  // out of memory: row by row needs the least
    return pic::EncodePng(canvas, options);
}

// The canvas as a PNG byte set; the cache keeps the canvas for the one reader
// that will hand these bytes back (the next pass or the picture box).
void* Publish(pic::SharedCanvas canvas, ResultUse use) {
    const pic::PngEncodeOptions options = EncodingFor(use, *canvas);
    void* result = nullptr;
    if (options.compression == pic::PngCompression::Stored) {
        // Written straight into the byte set: no buffer on the way.
        const size_t size = pic::StoredPngSize(*canvas);
        result = size <= UINT32_MAX ? imprinta::TryNewByteSet(uint32_t(size)) : nullptr;
        if (!result) return nullptr;
        pic::WriteStoredPng(*canvas, ByteSetData(result));
    } else {
        std::vector<uint8_t> png = use == ResultUse::Kept ? EncodeKept(*canvas) : pic::EncodePng(*canvas, options);
        if (png.empty()) return nullptr;
        result = imprinta::MakeByteSet(png);
    }
    pic::SharedPictureCache().Insert(pic::KeyOf(BytesOf(result)), std::move(canvas), pic::CacheUse::Once);
    return result;
}

void DrawTextOnCanvas(pic::Canvas& canvas, const TextStyle& style, const TextEffects& effects, const char* text,
                      int32_t x, int32_t y, TextScale scale = {}) {
    DrawTextOnRows(canvas.bgra.data(), canvas.width, canvas.height, {style, effects, text, x, y, scale});
}

// Every text of a poster is drawn bold, antialiased and opaque.
TextStyle StyleOf(const TextField& t) {
    return {t.font.c_str(), t.size, t.colour, kFontStyleBold, 255, kTextRenderingHintAntiAlias};
}

// The one walk over a poster's fields, in drawing order, by kind.
template <typename DrawText, typename DrawPicture, typename DrawQr>
void DrawFields(const PosterDescription& poster, DrawText drawText, DrawPicture drawPicture, DrawQr drawQr) {
    for (const PosterField& f : poster.fields) {
        switch (f.kind) {
        case FieldKind::Text: drawText(f.text); break;
        case FieldKind::Picture: drawPicture(f.picture); break;
        case FieldKind::Qr: drawQr(f.qr); break;
        }
    }
}

FieldScale ScaleOf(TextScale s) { return {s.x, s.y}; }

void PaintPicture(pic::Canvas& on, const PictureField& f, const FieldPictures& pictures, FieldScale scale) {
    const pic::Canvas* picture = pictures.Find(f.path);
    if (!picture) return;
    const PlacedPicture placed = PlacePicture(*picture, FitPicture(picture->width, picture->height, f.box, f.fit), scale);
    BlendPicture(on, placed, f, scale);
}

void PaintQr(pic::Canvas& on, const QrField& f, const FieldPictures& pictures, FieldScale scale) {
    QrModules modules;
    if (CheckQr(f, &modules) != QrError::None) return;
    DrawQr(on, modules, f, pictures.Find(f.centrePicture), scale);
}

// Decodes and encodes only: safe on any thread.
std::vector<uint8_t> PackForKeeping(std::span<const uint8_t> png) {
    if (!DecodedHere(png)) return {};
    std::optional<pic::Canvas> canvas = pic::DecodeCanvas(png);
    return canvas ? EncodeKept(*canvas) : std::vector<uint8_t>{};
}

// Decodes and encodes only: safe on any thread.
std::vector<uint8_t> EncodeBytesAs(std::span<const uint8_t> png, OutputFormat format) {
    if (format.kind == FileFormat::Png) return PackForKeeping(png);
    std::optional<pic::Canvas> canvas = pic::DecodeCanvas(png);
    return canvas ? pic::EncodeJpeg(*canvas, format.quality) : std::vector<uint8_t>{};
}

}  // namespace

// ---- operations -----------------------------------------------------------

struct Composition::CanvasHolder {
    pic::SharedCanvas canvas;
    TextScale scale;
};

namespace {

// The own size of the last picture reduced for a preview, by its key: a
// preview from the kept reduced copy then needs no full decode (one per
// keystroke for a picture too large for the cache to keep).
struct KnownSize {
    pic::PictureKey key;
    PictureSize size;
};
KnownSize g_lastReduced;

// The last preview's canvas: once the picture box has shown it and nobody else
// holds it, the next preview is copied into its memory rather than new memory.
pic::SharedCanvas g_spareShown;

pic::SharedCanvas CopyToDrawOn(const pic::Canvas& reduced) {
    pic::SharedCanvas spare = std::move(g_spareShown);
    if (spare && spare.use_count() == 1 && spare->bgra.size() == reduced.bgra.size()) {
        *spare = reduced;  // the vector's assignment keeps its memory
        return spare;
    }
    spare.reset();
    try {
        return std::make_shared<pic::Canvas>(reduced);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// A copy of the picture at the shown size to draw on, when the picture is
// larger than that in either direction; null otherwise (or when it does not
// decode, which the full-size path then finds out again).
pic::SharedCanvas ReducedCanvas(std::span<const uint8_t> bytes, PictureSize shown, PictureSize* own) {
    if (shown.width == 0 || shown.height == 0) return nullptr;
    const pic::PictureKey key = pic::KeyOf(bytes);
    pic::SharedCanvas full;
    if (!(g_lastReduced.key == key) || g_lastReduced.size.width == 0) {
        full = pic::DecodeCanvasCached(key, bytes, pic::CacheUse::Keep);
        if (!full) return nullptr;
        g_lastReduced = {key, {full->width, full->height}};
    }
    *own = g_lastReduced.size;
    if (own->width <= shown.width && own->height <= shown.height) return nullptr;
    // The box shows the picture whole and in proportion: reduce to that place.
    const pic::FitPlace fit = pic::FitWhole(int(own->width), int(own->height), int(shown.width), int(shown.height));
    shown = {uint32_t(std::max(fit.width, 1)), uint32_t(std::max(fit.height, 1))};
    const pic::PictureKey reducedKey = pic::ScaledKeyOf(key, shown.width, shown.height);
    pic::SharedCanvas reduced = pic::SharedPictureCache().Find(reducedKey);
    if (!reduced) {
        if (!full) full = pic::DecodeCanvasCached(key, bytes, pic::CacheUse::Keep);
        if (!full) return nullptr;
        reduced = pic::ScaleCanvas(*full, shown.width, shown.height);
        if (!reduced) return nullptr;
        pic::SharedPictureCache().Insert(reducedKey, reduced, pic::CacheUse::Keep);
    }
    return CopyToDrawOn(*reduced);
}

TextLayers& PreviewLayers();

// What the preview keeps for its next keystroke gives way to a full-size
// composition, where the program's memory peaks.
void TrimPreviewMemory() {
    g_spareShown.reset();
    PreviewLayers().DropScratch();
    imprinta::ReleaseKeptBlock();
}

}  // namespace

Composition::Composition(const void* picture, PictureSize shown) : source_(picture) {
    const std::span<const uint8_t> bytes = BytesOf(picture);
    fast_ = DecodedHere(bytes);
    if (!fast_) return;
    PictureSize own;
    pic::SharedCanvas canvas = ReducedCanvas(bytes, shown, &own);
    TextScale scale;
    if (canvas) {
        reduced_ = true;
        sourceSize_ = own;
        scale = {float(canvas->width) / float(own.width), float(canvas->height) / float(own.height)};
    } else {
        // A full-size composition (no shown size): not a preview of a small template.
        if (shown.width == 0 || shown.height == 0) TrimPreviewMemory();
        canvas = WorkingCanvas(bytes);
        if (canvas) sourceSize_ = {canvas->width, canvas->height};
    }
    if (canvas) canvas_ = new CanvasHolder{std::move(canvas), scale};
}

Composition::~Composition() {
    delete canvas_;
    Free(chained_);
}

namespace {

// Everything a text's layer depends on, the picture's size and scale included.
std::string LayerKey(const TextStyle& s, const TextEffects& effects, const char* text, int32_t x, int32_t y,
                     const pic::Canvas& canvas, TextScale scale) {
    static_assert(sizeof(TextEffects) % sizeof(int32_t) == 0, "effects held as whole numbers, no padding");
    const int32_t numbers[] = {s.size, int32_t(s.colour), s.style, s.alpha, s.hint, x, y,
                               int32_t(canvas.width), int32_t(canvas.height)};
    const float scales[] = {scale.x, scale.y};
    std::string key(reinterpret_cast<const char*>(numbers), sizeof numbers);
    key.append(reinterpret_cast<const char*>(scales), sizeof scales)
        .append(reinterpret_cast<const char*>(&effects), sizeof effects)
        .append(s.fontName ? s.fontName : "")
        .append(1, '\0')
        .append(text ? text : "");
    return key;
}

TextLayers& PreviewLayers() {
    static TextLayers layers;
    return layers;
}

// A plain text of this many lines and more is kept as a layer per line, so a
// keystroke in a long body lays out only its own line again.
constexpr size_t kLayerPerLineFrom = 8;

// The lines as GDI+ breaks them (CR LF or LF).
std::vector<std::string> LinesOf(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == '\r' && c[1] == '\n') continue;
        if (*c == '\n')
            lines.emplace_back();
        else
            lines.back() += *c;
    }
    return lines;
}

// How far apart a text's lines (or a vertical text's columns) are laid out.
double CachedLineAdvance(const TextStyle& s, const TextEffects& e) {
    static std::string key;
    static double advance = 0;
    const bool columns = e.direction == TextDirection::Vertical;
    const int32_t numbers[] = {s.size, s.style, s.hint, columns, e.lineSpacing};
    std::string now = std::string(reinterpret_cast<const char*>(numbers), sizeof numbers) + (s.fontName ? s.fontName : "");
    if (now != key) advance = columns ? ColumnStep(s, e) : LineAdvance(s), key = std::move(now);
    return advance;
}

}  // namespace

void Composition::Stamp(const char* fontName, int32_t size, uint32_t colour, int32_t style, int32_t alpha,
                        int32_t hint, const char* text, int32_t x, int32_t y, const TextEffects& effects) {
    if (fast_) {
        if (!canvas_) return;
        pic::Canvas& canvas = *canvas_->canvas;
        const TextStyle textStyle{fontName, size, colour, style, alpha, hint};
        const TextScale scale = canvas_->scale;
        auto draw = [&](pic::Canvas& on) { DrawTextOnCanvas(on, textStyle, effects, text, x, y, scale); };
        if (!reduced_) return draw(canvas);
        // A preview: the text that did not change is painted from its layer.
        try {
            const bool columns = ColumnsDrawnApart(effects);
            const std::vector<std::string> lines = IsPlain(effects) || columns ? LinesOf(text) : std::vector<std::string>();
            if (lines.size() < kLayerPerLineFrom)
                return PreviewLayers().Paint(canvas, LayerKey(textStyle, effects, text, x, y, canvas, scale), draw);
            // Each line where GDI+ would have laid it out in the whole text;
            // a vertical text's columns leftwards, a whole step each.
            const double advance = CachedLineAdvance(textStyle, effects);
            const double bottom = canvas.height / scale.y + 2.0 * size, left = -2.0 * size;
            for (size_t i = 0; i < lines.size() && (columns ? x - i * advance >= left : y + i * advance <= bottom); ++i) {
                if (lines[i].empty()) continue;
                const int32_t shift = static_cast<int32_t>(std::lround(i * advance));
                const int32_t lineX = columns ? x - shift : x, lineY = columns ? y : y + shift;
                const char* line = lines[i].c_str();
                auto drawLine = [&](pic::Canvas& on) { DrawTextOnCanvas(on, textStyle, effects, line, lineX, lineY, scale); };
                try {
                    PreviewLayers().Paint(canvas, LayerKey(textStyle, effects, line, lineX, lineY, canvas, scale), drawLine);
                } catch (const std::bad_alloc&) {
                    PreviewLayers().Clear();
                    drawLine(canvas);  // nothing of this line was painted yet
                }
            }
        } catch (const std::bad_alloc&) {
            PreviewLayers().Clear();
            draw(canvas);
        }
        return;
    }
    void* next = DrawTextOnPictureGdiplus(chained_ ? chained_ : source_, fontName, size, colour, style, alpha, hint,
                                          text, x, y, &effects);
    Free(chained_);
    chained_ = next;
}

void Composition::Draw(const PosterDescription& poster, const FieldPictures* pictures) {
    const bool anyPicture = std::any_of(poster.fields.begin(), poster.fields.end(),
                                        [](const PosterField& f) { return f.kind != FieldKind::Text; });
    static const FieldPictures kNone;
    const FieldPictures& shown = pictures ? *pictures : anyPicture ? PreviewFieldPictures(poster) : kNone;
    DrawFields(
        poster,
        [&](const TextField& t) {
            const TextStyle s = StyleOf(t);
            Stamp(s.fontName, s.size, s.colour, s.style, s.alpha, s.hint, t.text.c_str(), t.x, t.y, t.effects);
        },
        [&](const PictureField& f) { DrawPictureField(f, shown); },
        [&](const QrField& f) { DrawQrField(f, shown); });
}

template <typename Paint>
void Composition::OnPixels(Paint paint) {
    if (fast_) {
        if (canvas_) paint(*canvas_->canvas, ScaleOf(canvas_->scale));
        return;
    }
    // Formats the fast path leaves to GDI+: the chained picture is a PNG that
    // GDI+ wrote, which decodes here.
    std::optional<pic::Canvas> decoded = pic::DecodeCanvas(BytesOf(chained_ ? chained_ : source_));
    if (!decoded) return;
    auto canvas = std::make_shared<pic::Canvas>(std::move(*decoded));
    paint(*canvas, FieldScale{});
    void* next = Publish(std::move(canvas), ResultUse::ReadBackAtOnce);
    if (!next) return;
    Free(chained_);
    chained_ = next;
}

namespace {

// The preview's resampled pictures, kept between keystrokes: a photo of camera
// size is resampled to its box once, not at every keystroke.
struct PlacedKept {
    std::string key;
    std::shared_ptr<PlacedPicture> placed;
};
std::vector<PlacedKept> g_placedKept;
constexpr size_t kPlacedKept = 8;

std::shared_ptr<PlacedPicture> KeptPlacement(const pic::Canvas& picture, const PictureSpan& span, FieldScale scale) {
    const double numbers[] = {span.sx, span.sy, span.sw, span.sh, span.dx, span.dy, span.dw, span.dh, scale.x, scale.y};
    const pic::Canvas* identity = &picture;
    std::string key(reinterpret_cast<const char*>(numbers), sizeof numbers);
    key.append(reinterpret_cast<const char*>(&identity), sizeof identity);
    for (size_t i = 0; i < g_placedKept.size(); ++i)
        if (g_placedKept[i].key == key) {
            std::rotate(g_placedKept.begin(), g_placedKept.begin() + i, g_placedKept.begin() + i + 1);
            return g_placedKept.front().placed;
        }
    auto placed = std::make_shared<PlacedPicture>(PlacePicture(picture, span, scale));
    g_placedKept.insert(g_placedKept.begin(), {std::move(key), placed});
    if (g_placedKept.size() > kPlacedKept) g_placedKept.pop_back();
    return placed;
}

// A preview's pictures and codes are layers too: a keystroke in a text neither
// blends a photo through its circle nor encodes a code again. The key holds
// everything the layer depends on; it starts with a negative number, which no
// text's key does (a text's starts with its size), so the kinds never meet.
enum FieldLayerTag : int32_t { kPictureLayer = -1, kQrLayer = -2 };

template <size_t N>
std::string FieldLayerKey(const int32_t (&numbers)[N], std::initializer_list<std::string_view> texts,
                          std::initializer_list<uint64_t> readings, const pic::Canvas& canvas, FieldScale scale) {
    const int32_t size[] = {int32_t(canvas.width), int32_t(canvas.height)};
    const float scales[] = {scale.x, scale.y};
    std::string key(reinterpret_cast<const char*>(numbers), sizeof numbers);
    key.append(reinterpret_cast<const char*>(size), sizeof size).append(reinterpret_cast<const char*>(scales), sizeof scales);
    for (uint64_t reading : readings) key.append(reinterpret_cast<const char*>(&reading), sizeof reading);
    for (std::string_view text : texts) key.append(text).append(1, '\0');
    return key;
}

// Paints the layer under key (drawing it first when there is none). Out of
// memory, the layers go and nothing of this field is shown in this preview.
template <typename Draw>
void PaintFieldLayer(pic::Canvas& on, const std::string& key, Draw draw) {
    try {
        PreviewLayers().Paint(on, key, draw);
    } catch (const std::bad_alloc&) {
        PreviewLayers().Clear();
        g_placedKept.clear();
    }
}

}  // namespace

void Composition::DrawPictureField(const PictureField& f, const FieldPictures& pictures) {
    OnPixels([&](pic::Canvas& on, FieldScale scale) {
        const pic::Canvas* picture = pictures.Find(f.path);
        if (!picture) return;
        if (!reduced_) return PaintPicture(on, f, pictures, scale);
        const int32_t numbers[] = {kPictureLayer, f.box.x,          f.box.y, f.box.width, f.box.height,
                                   int32_t(f.fit), f.cornerRadius, f.circle, f.opacity};
        PaintFieldLayer(on, FieldLayerKey(numbers, {f.path}, {pictures.ReadingOf(f.path)}, on, scale),
                        [&](pic::Canvas& layer) {
                            const PictureSpan span = FitPicture(picture->width, picture->height, f.box, f.fit);
                            BlendPicture(layer, *KeptPlacement(*picture, span, scale), f, scale);
                        });
    });
}

void Composition::DrawQrField(const QrField& f, const FieldPictures& pictures) {
    OnPixels([&](pic::Canvas& on, FieldScale scale) {
        if (!reduced_) return PaintQr(on, f, pictures, scale);
        const int32_t numbers[] = {kQrLayer, int32_t(f.level), f.quietModules, int32_t(f.dark), int32_t(f.light),
                                   f.lightTransparent, f.x, f.y, f.size};
        PaintFieldLayer(on,
                        FieldLayerKey(numbers, {f.text, f.centrePicture}, {pictures.ReadingOf(f.centrePicture)}, on, scale),
                        [&](pic::Canvas& layer) { PaintQr(layer, f, pictures, scale); });
    });
}

pic::SharedCanvas Composition::TakeCanvas() {
    if (!fast_ || !canvas_) return nullptr;
    pic::SharedCanvas canvas = std::move(canvas_->canvas);
    delete canvas_;
    canvas_ = nullptr;
    return canvas;
}

void* Composition::Finish(ResultUse use) {
    if (!fast_) {
        void* result = chained_;
        chained_ = nullptr;
        return result;
    }
    if (!canvas_) return nullptr;
    if (reduced_ && use == ResultUse::Shown) g_spareShown = canvas_->canvas;
    void* result = Publish(std::move(canvas_->canvas), use);
    delete canvas_;
    canvas_ = nullptr;
    return result;
}

void* DrawTextOnPicture(const void* picture, const char* fontName, int32_t size, uint32_t colour,
                        int32_t style, int32_t alpha, int32_t hint, const char* text, int32_t x, int32_t y,
                        ResultUse use, const TextEffects& effects) {
    const std::span<const uint8_t> bytes = BytesOf(picture);
    if (!DecodedHere(bytes))
        return DrawTextOnPictureGdiplus(picture, fontName, size, colour, style, alpha, hint, text, x, y, &effects);
    // A picture of a format decoded here that does not decode (damaged, or over
    // the decode budget) gives the empty result, as an unreadable file does.
    pic::SharedCanvas canvas = WorkingCanvas(bytes);
    if (!canvas) return nullptr;
    DrawTextOnCanvas(*canvas, {fontName, size, colour, style, alpha, hint}, effects, text, x, y);
    return Publish(std::move(canvas), use);
}

void* RecompressForKeeping(const void* png) {
    std::vector<uint8_t> kept = PackForKeeping(BytesOf(png));
    return kept.empty() ? nullptr : imprinta::MakeByteSet(kept);
}

namespace {
std::vector<uint8_t> EncodeCanvas(const pic::Canvas& canvas, OutputFormat format);
}  // namespace

struct KeptRepack::Job {
    std::vector<uint8_t> input, output;  // input: a PNG, when there is no canvas
    pic::SharedCanvas canvas;
    OutputFormat format;
    HANDLE thread = nullptr;
    ~Job() {
        if (thread) CloseHandle(thread);
    }
    void Pack() {
        try {
            output = canvas ? EncodeCanvas(*canvas, format) : EncodeBytesAs(input, format);
        } catch (const std::bad_alloc&) {
            output.clear();
        }
        canvas.reset();
        std::vector<uint8_t>().swap(input);
    }
    // The thread holds its own reference, so the job outlives whoever dropped it.
    static unsigned long __stdcall Main(void* param) {
        std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(param));
        (*held)->Pack();
        return 0;
    }
};

KeptRepack::KeptRepack(const void* png, OutputFormat format) {
    try {
        job_ = std::make_shared<Job>();
        const std::span<const uint8_t> bytes = BytesOf(png);
        job_->input.assign(bytes.begin(), bytes.end());
        job_->format = format;
    } catch (const std::bad_alloc&) {
        job_.reset();  // nothing to pack: Take gives null
        return;
    }
    Start();
}

KeptRepack::KeptRepack(Composition& picture, OutputFormat format) {
    pic::SharedCanvas canvas = picture.TakeCanvas();
    if (!canvas) {
        void* png = picture.Finish(ResultUse::ReadBackAtOnce);
        *this = KeptRepack(png, format);
        Free(png);
        return;
    }
    try {
        job_ = std::make_shared<Job>();
    } catch (const std::bad_alloc&) {
        return;
    }
    job_->canvas = std::move(canvas);
    job_->format = format;
    Start();
}

void KeptRepack::Start() {
    std::shared_ptr<Job>* held = new (std::nothrow) std::shared_ptr<Job>(job_);
    job_->thread = held ? CreateThread(nullptr, 0, &Job::Main, held, CREATE_SUSPENDED, nullptr) : nullptr;
    if (!job_->thread) {
        delete held;
        job_->Pack();
        return;
    }
    SetThreadPriority(job_->thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(job_->thread);
}

bool KeptRepack::Done() const {
    return !job_ || !job_->thread || WaitForSingleObject(job_->thread, 0) == WAIT_OBJECT_0;
}

void* KeptRepack::Take() {
    if (!job_) return nullptr;
    if (job_->thread) {
        SetThreadPriority(job_->thread, THREAD_PRIORITY_NORMAL);  // somebody waits for it now
        WaitForSingleObject(job_->thread, INFINITE);
    }
    return job_->output.empty() ? nullptr : imprinta::MakeByteSet(job_->output);
}

TemplateCanvas DecodeTemplateCanvas(const void* bytes) {
    const std::span<const uint8_t> span = BytesOf(bytes);
    if (!DecodedHere(span)) return nullptr;
    return pic::DecodeCanvasCached(span, pic::CacheUse::Keep);  // drawn on only as copies
}

namespace {

std::vector<uint8_t> EncodeCanvas(const pic::Canvas& canvas, OutputFormat format) {
    if (format.kind == FileFormat::Jpeg) return pic::EncodeJpeg(canvas, format.quality);
    return EncodeKept(canvas);
}

}  // namespace

std::vector<uint8_t> RenderPoster(const pic::Canvas& base, const PosterDescription& poster, OutputFormat format,
                                  const FieldPictures& pictures) {
    try {
        pic::Canvas canvas = base;
        DrawFields(
            poster, [&](const TextField& t) { DrawTextOnCanvas(canvas, StyleOf(t), t.effects, t.text.c_str(), t.x, t.y); },
            [&](const PictureField& f) { PaintPicture(canvas, f, pictures, {}); },
            [&](const QrField& f) { PaintQr(canvas, f, pictures, {}); });
        return EncodeCanvas(canvas, format);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

ThumbnailBase ThumbnailTemplate(const void* bytes, PictureSize box) {
    const std::span<const uint8_t> span = BytesOf(bytes);
    if (!DecodedHere(span)) return {};
    PictureSize own;
    if (pic::SharedCanvas reduced = ReducedCanvas(span, box, &own)) return {std::move(reduced), own};
    TemplateCanvas full = DecodeTemplateCanvas(bytes);  // fits the box as it is
    if (!full) return {};
    return {full, {full->width, full->height}};
}

pic::SharedCanvas RenderThumbnail(const ThumbnailBase& base, const PosterDescription& poster,
                                  const FieldPictures& pictures) {
    if (!base.canvas || base.own.width == 0 || base.own.height == 0) return nullptr;
    try {
        auto canvas = std::make_shared<pic::Canvas>(*base.canvas);
        // The scale a Composition given this shown size draws at.
        const TextScale scale = canvas->width == base.own.width && canvas->height == base.own.height
                                    ? TextScale{}
                                    : TextScale{float(canvas->width) / float(base.own.width),
                                                float(canvas->height) / float(base.own.height)};
        DrawFields(
            poster,
            [&](const TextField& t) { DrawTextOnCanvas(*canvas, StyleOf(t), t.effects, t.text.c_str(), t.x, t.y, scale); },
            [&](const PictureField& f) { PaintPicture(*canvas, f, pictures, ScaleOf(scale)); },
            [&](const QrField& f) { PaintQr(*canvas, f, pictures, ScaleOf(scale)); });
        return canvas;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void WarmUpRenderer(const PosterDescription& poster) {
    pic::Canvas dot{1, 1, std::vector<uint8_t>(4, 255)};
    PosterDescription warm;
    for (const PosterField& f : poster.fields) {
        if (f.kind != FieldKind::Text) continue;
        PosterField plain{f.kind, f.name, {f.text.font, 1, 0, 0, 0, "x", {}}};
        PosterField styled = plain;
        styled.text.effects.outlineWidth = 1;
        styled.text.effects.shadowOpacity = 50;
        styled.text.effects.shadowBlur = 1;
        styled.text.effects.maxWidth = 1;
        warm.fields.push_back(plain);
        warm.fields.push_back(styled);
    }
    (void)RenderPoster(dot, warm, {});
}

std::vector<uint8_t> EncodeResultAs(const void* png, OutputFormat format) { return EncodeBytesAs(BytesOf(png), format); }

// The base and the mark wrap canvases of the program's decoders; GDI+ flips,
// scales and composes them onto a transparent canvas, as on the all-GDI+ path.
void* ComposeWatermark(const void* base, const void* mark, int32_t position, int32_t x, int32_t y,
                       std::optional<int32_t> shrink, int32_t count, int32_t flipCode) {
    const WatermarkPlacement placement{position, x, y, shrink, count, flipCode};
    const std::span<const uint8_t> baseBytes = BytesOf(base), markBytes = BytesOf(mark);
    if (!DecodedHere(baseBytes) || (!markBytes.empty() && !DecodedHere(markBytes)))
        return ComposeWatermarkGdiplus(base, mark, placement);
    pic::SharedCanvas baseCanvas = pic::DecodeCanvasCached(baseBytes, pic::CacheUse::Keep);  // only read
    if (!baseCanvas) return nullptr;
    pic::SharedCanvas markCanvas = markBytes.empty() ? nullptr : WorkingCanvas(markBytes);
    pic::SharedCanvas result;
    try {
        result = std::make_shared<pic::Canvas>();
        result->width = baseCanvas->width;
        result->height = baseCanvas->height;
        result->bgra.assign(baseCanvas->bgra.size(), 0);  // fully transparent
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    uint32_t baseImage = BitmapOver(baseCanvas->bgra.data(), baseCanvas->width, baseCanvas->height);
    uint32_t markImage = markCanvas ? BitmapOver(markCanvas->bgra.data(), markCanvas->width, markCanvas->height) : 0;
    FlipMark(markImage, flipCode);
    uint32_t target = BitmapOver(result->bgra.data(), result->width, result->height);
    uint32_t graphics = GraphicsOf(target);
    DrawBaseAndMarks(graphics, baseImage, result->width, result->height, markImage, placement);
    DeleteGraphics(graphics);
    DisposeImage(target);
    DisposeImage(baseImage);
    DisposeImage(markImage);
    return Publish(std::move(result), ResultUse::Kept);
}

}  // namespace app
