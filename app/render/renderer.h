// The render room: draws posters. A poster description (app/poster/poster.h)
// goes in with its template's bytes; a picture comes out, as a PNG byte set
// (owned by the caller, empty on failure) or as a file's bytes in the output
// format. Composition draws one for the window (a preview at the size shown,
// or full size), RenderPoster one on any thread for a batch; the picture
// watermark is composed here too.
//
// Owns: composition on the program's own pixels and GDI+, text layers kept
// between keystrokes, the packing of results, the worker threads of a batch,
// GDI+ itself and the font list. May use: the poster room, the platform room
// (runtime calls), the runtime's pictures; never the window or the batches.
// GDI+ must have been started (StartGdiPlus) before anything here draws.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>
#include "app/poster/output_format.h"
#include "app/poster/poster.h"
#include "app/poster/text_style.h"
#include "app/render/field_assets.h"
#include "app/render/gdiplus.h"
#include "app/render/watermark.h"
#include "runtime/pictures/picture_canvas.h"

namespace app {

// What becomes of a result, which decides how hard its PNG is compressed (the
// pixels are the same either way): Kept for files people keep, Shown for a
// preview that the next keystroke replaces, ReadBackAtOnce for a first pass
// that the next pass reads back straight away (not compressed at all).
enum class ResultUse { Kept, Shown, ReadBackAtOnce };

// Draws text (ANSI, CR LF breaks lines) with its layout box starting at (x, y),
// set as the effects say (the defaults draw it exactly as plain text).
void* DrawTextOnPicture(const void* picture, const char* fontName, int32_t size, uint32_t colour,
                        int32_t style, int32_t alpha, int32_t hint, const char* text, int32_t x, int32_t y,
                        ResultUse use = ResultUse::Kept, const TextEffects& effects = TextEffects{});

// Draws the watermark onto the base picture: flipped by flipCode (GDI+ RotateFlipType,
// other codes leave it as it is), shrunk to shrink percent (100 when omitted, never
// enlarged), placed by position code; code 10 places count marks (1 to 9) at random.
void* ComposeWatermark(const void* base, const void* mark, int32_t position, int32_t x, int32_t y,
                       std::optional<int32_t> shrink, int32_t count, int32_t flipCode);

// A picture's width and height in pixels (0 x 0: none).
struct PictureSize {
    uint32_t width = 0, height = 0;
};

// A picture composed by several text passes in a row, as DrawTextOnPicture
// chained pass by pass would make it, but drawn on one canvas and encoded once:
// for callers that hand no intermediate picture to anyone. Pictures the fast
// path leaves to GDI+ are chained through the all-GDI+ path.
//
// Given the size a preview is shown at, a picture decoded here that is larger
// in either direction is composed at that size instead: from a copy of it kept
// at that size, the texts drawn scaled by the same factors (their positions and
// sizes stay in picture pixels). A keystroke then costs the shown size only.
class Composition {
public:
    // The picture's bytes stay the caller's.
    explicit Composition(const void* picture, PictureSize shown = {});
    ~Composition();
    Composition(const Composition&) = delete;
    Composition& operator=(const Composition&) = delete;
    // Draws every field of the poster, in order, on the picture; picture
    // fields from `pictures`, or without them from the window's own
    // (PreviewFieldPictures: user-interface thread only).
    void Draw(const PosterDescription& poster, const FieldPictures* pictures = nullptr);
    void Stamp(const char* fontName, int32_t size, uint32_t colour, int32_t style, int32_t alpha, int32_t hint,
               const char* text, int32_t x, int32_t y, const TextEffects& effects = TextEffects{});
    // The PNG (owned by the caller; null when the picture did not decode).
    void* Finish(ResultUse use);
    // The composed picture itself, to be packed elsewhere (the composition is
    // done with it); null on the all-GDI+ path, which gives Finish's PNG only.
    std::shared_ptr<imprinta::picture::Canvas> TakeCanvas();
    // Whether the result is the picture at the shown size rather than its own,
    // and the picture's own size then.
    bool Reduced() const { return reduced_; }
    PictureSize SourceSize() const { return sourceSize_; }

private:
    void DrawPictureField(const PictureField& f, const FieldPictures& pictures);
    void DrawQrField(const QrField& f, const FieldPictures& pictures);
    // Runs a drawing on the composed pixels: on the canvas, or on the
    // all-GDI+ path on the chained picture decoded here and packed again.
    template <typename Paint>
    void OnPixels(Paint paint);
    const void* source_;
    void* chained_ = nullptr;     // all-GDI+ path: the last pass's PNG
    struct CanvasHolder;
    CanvasHolder* canvas_ = nullptr;  // fast path
    bool fast_ = false;
    bool reduced_ = false;
    PictureSize sourceSize_;
};

// The same picture as a PNG compressed as Kept results are (for a preview that
// is exported); null when the bytes are no picture decoded here.
void* RecompressForKeeping(const void* png);

// Packs a renderer result as a file in a format (a PNG packed as Kept results
// are, or a JPEG) on a thread of its own below normal priority, while the
// caller goes on. Touches neither the Runtime nor the picture cache until
// Take. Dropped before it is done, the packing ends on its thread and frees
// itself there: nobody waits for work no longer wanted.
class KeptRepack {
public:
    // Copies the bytes; without a thread it packs at once.
    explicit KeptRepack(const void* png, OutputFormat format = {});
    // The composition's picture, taken from it without a copy where it can be.
    KeptRepack(Composition& picture, OutputFormat format);
    bool Done() const;
    // Waits for the packing: a new byte set (owned by the caller), or null.
    // The packed bytes stay: each call gives a copy.
    void* Take();

private:
    struct Job;
    void Start();
    std::shared_ptr<Job> job_;
};

// ---- posters of a batch, drawn on several threads ---------------------------
// GDI+ objects (the bitmap over the copy's rows, graphics, font family, font,
// brush) are made and deleted inside each call on the calling thread; the
// Runtime is reached only for per-call blocks on the process heap; decoding and
// the picture cache stay on the thread that prepares the templates.

using TemplateCanvas = std::shared_ptr<const imprinta::picture::Canvas>;
// The template decoded for drawing posters on copies; null when the bytes are
// no picture or one the fast path leaves to GDI+. User-interface thread only.
TemplateCanvas DecodeTemplateCanvas(const void* bytes);
// The poster's fields drawn on a copy of the template, encoded in the format;
// empty on failure. Safe on any thread once WarmUpRenderer has run on the
// main thread.
// `pictures` holds what PrepareFields read for the poster's picture fields.
std::vector<uint8_t> RenderPoster(const imprinta::picture::Canvas& base, const PosterDescription& poster,
                                  OutputFormat format, const FieldPictures& pictures = {});
// A template shrunk to fit a thumbnail's box (as a preview box shows it) and
// its own size, which the posters' positions and sizes stay in.
struct ThumbnailBase {
    TemplateCanvas canvas;  // null: no picture decoded here
    PictureSize own;
};
// User-interface thread only (the picture cache).
ThumbnailBase ThumbnailTemplate(const void* bytes, PictureSize box);
// The poster drawn on a copy of the thumbnail as a preview of that size is:
// texts set on the full-size picture and their coverage shrunk, so lines break
// and shrink as in the file. Null when memory runs out. Safe on any thread
// once WarmUpRenderer has run on the main thread.
std::shared_ptr<imprinta::picture::Canvas> RenderThumbnail(const ThumbnailBase& base, const PosterDescription& poster,
                                                           const FieldPictures& pictures = {});
// Resolves the DLL commands RenderPoster calls for each of the poster's fonts
// (with every effect on), so worker threads never resolve them concurrently.
void WarmUpRenderer(const PosterDescription& poster);
// A renderer result (PNG byte set) as a file in the format; empty on failure.
std::vector<uint8_t> EncodeResultAs(const void* png, OutputFormat format);

}  // namespace app
