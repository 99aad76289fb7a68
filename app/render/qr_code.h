// QR codes: a field's text encoded by libqrencode into modules. The text is
// the program's (GBK) and is encoded as UTF-8, which phones read.
#pragma once
#include <string>
#include "app/poster/poster.h"
#include "app/render/field_pixels.h"

namespace app {

enum class QrError { None, Empty, TooLong, TooSmall, NoMemory };
// Why a code cannot be drawn, in plain words.
const char* QrErrorText(QrError e);

// The modules of the text's code at the level; empty with *error set when there
// is no text or it is too long for any code of that level.
QrModules EncodeQr(const std::string& gbk, QrLevel level, QrError* error);

// Whether the field's code fits its size with whole modules of at least
// kMinModulePixels (None), or why not. Encodes the text once.
QrError CheckQr(const QrField& f, QrModules* modules = nullptr);

}  // namespace app
