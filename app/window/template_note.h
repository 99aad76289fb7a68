// The line that says what is wrong with the template box: a template pz.ini
// kept that has gone (said from the start until the box is changed), or why
// the path in the box gives no picture (said by the preview that found it,
// gone with the next one that draws). It follows the settings group's caption,
// just above the box: seen without a box to click away, and set only when it
// changes, so a path typed letter by letter is said once.
#pragma once
#include <cstdint>
#include <string>

namespace app {

// At start: the kept template is gone and the box keeps what it held.
void NoteKeptTemplateGone(const std::string& kept, const std::string& shown);
// The box was typed in or a picture dropped: the start's note has had its say.
void NoteTemplateBoxChanged();
// The kept template that was gone at start while the box is untouched since
// (what pz.ini goes on keeping: a stick plugged in later brings it back), else empty.
const std::string& GoneKeptTemplate();
// After a preview: error 0 when the box's path gave a picture, else why not.
void NoteTemplateRead(const std::string& path, uint32_t error);

}  // namespace app
