// The poster the window describes: the template box, and for each text field
// the units that hold its font, size, point, colour and text, with the style
// the dialog and pz.ini keep. The preview, the export (and the export made
// ahead) and the window's batches all start from WindowPoster().
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "app/render/renderer.h"

namespace app {

// The units of one text field of the main window.
struct TextFieldUnits {
    uint32_t font, size, x, y, colour, text;
};
// Field k of the poster is shown in kTextFieldUnits[k].
extern const TextFieldUnits kTextFieldUnits[kStandardFieldCount];

// The style of each text field (what the dialog changes and pz.ini keeps):
// field k of WindowPoster(), the title, the body or an added text.
TextEffects& FieldEffects(size_t field);

// The poster's fields after the title and the body (pictures, QR codes, more
// texts), in drawing order, as the settings file gave them.
std::vector<PosterField>& ExtraFields();

// The poster as the boxes describe it now. Numbers as the boxes read them
// (what is drawn); a font nobody chose is empty.
PosterDescription WindowPoster();

// The template file's bytes as they are on disk now, read again only when the
// file's time or size changed; null with *error set when it cannot be read.
const void* TemplateBytes(const std::string& path, uint32_t* error);
// Lets go of the template's bytes kept between refreshes (at exit).
void ForgetTemplateBytes();

// The window's poster at its template's own size, packed as a file in the
// format on a thread of its own (Take gives null when the template does not decode).
KeptRepack PackFullSize(OutputFormat format);
// Everything a full-size composition is made from (the template file as it is
// on disk, and the poster's fields), as one text: equal texts, equal posters.
std::string PosterInputs();

}  // namespace app
