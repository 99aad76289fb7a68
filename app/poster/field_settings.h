// The fields a poster carries beyond the title and the body, as pz.ini and
// style files keep them: after every older key, "字段数" and one numbered group
// per field ("字段1类型=二维码", "字段1内容={链接}", "字段1x=..."). A file
// without them describes the title and the body alone, as it always did.
#pragma once
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "app/poster/poster_settings.h"
#include "app/poster/settings_text.h"

namespace app {

// The stored groups in order, held to their ranges: a group of an unknown
// type is skipped, text fields beyond kMaxTextFields (with the title and the
// body) are dropped, and a font name not among fontNames takes the list's
// own choice (宋体, else its first font).
std::vector<PosterField> ReadStoredExtraFields(const StoredLookup& read, const std::vector<std::string>& fontNames);

// The keys of the poster's fields after the title and the body. Without any:
// nothing at all, so such a poster's file stays as it was, unless the file
// had fields before (then their count becomes 0).
IniValues StoredExtraFields(const PosterDescription& poster, bool fileHadFields);
// The key that counts them.
extern const char kExtraFieldCountKey[];

// A new field of the kind, named and placed as the window adds it.
PosterField NewField(FieldKind kind, const PosterDescription& poster);

// The words a file keeps for kinds, fits and levels (the first name each).
const char* KindWord(FieldKind kind);
const char* FitWord(PictureFit fit);
const char* LevelWord(QrLevel level);

}  // namespace app
