// The batch room: posters made many at a time, from the window (every
// template of the template folder, or a table of texts over them) or from
// the command line without the window.
//
// Owns: listing templates, numbering and naming output files, the window's two
// batches, the command line, tables turned into posters. May use: every other
// room (it drives the window's preview and progress, and the renderer).
//
// The window's template batch: the window's poster drawn onto every template
// of the template folder.
#pragma once
#include <cstdint>
#include <string>
#include "app/poster/poster.h"
#include "app/render/field_assets.h"
#include "app/window/unit_access.h"

namespace app {

// Appends the names found under folder matching the "|"-separated patterns to
// *list (an array of texts, replaced by a larger block as it grows); without
// recurse the list is emptied first. Returns the list's element count. Once the
// main window begins to close it stops, keeping what it has found.
struct ListOptions {
    bool withPath = false;  // names with the folder in front
    bool sorted = false;    // each folder's names in byte order
    bool recurse = false;   // sub-folders too, appended after the folder's own
};
int32_t ListFiles(const char* folder, const char* patterns, void** list, ListOptions options);
bool DirectoryExists(const char* path);
// How many names the listings since the last ForgetNamesLeftOut could not take
// (outside GBK, with no short name to open them by).
int32_t NamesLeftOut();
void ForgetNamesLeftOut();
// Handles the waiting messages; a quit message stays for the main loop.
void PumpMessages();
// Waits amount x unit (0 ms, 1 s, 2 min, 3 h, else the unit is the factor in ms)
// while the window's messages keep flowing. Always true.
bool WaitPumping(int64_t amount, int32_t unit = 0);
// The template patterns and how many listed templates a run takes.
extern const char kTemplatePatterns[];
constexpr int32_t kTemplateLimit = 50;
// Why templates beyond the limit were left out, for the summaries.
std::string SkippedBeyondLimitText(int32_t count);
std::string NamesLeftOutText(int32_t count);
// The list is an array block {1, n, text pointers...}.
uint32_t ListCount(void* list);
char** ListItems(void* list);
void ClearList(void** list);
// The next free number in an output folder: the count of pictures there plus
// one, moved on past any number taken by a PNG or a JPEG, so that no earlier
// result is replaced; extension is ".png" or ".jpg".
std::string NextOutputFile(const std::string& folder, int32_t count, const char* extension);
// Where the next result of template number index goes under outputRoot (which
// ends in a backslash): its numbered folder, made when missing, and the next
// free file there (extension ".png" or ".jpg"); empty with *error set when a
// folder cannot be made.
std::string NextBatchFile(const std::string& outputRoot, int32_t index, const char* extension,
                          uint32_t* error = nullptr);

// One template of a batch with the poster's fields: shown in the preview and
// written as the window's batch writes (the result returned), under the name
// given (empty: numbered). Null with *error set when it was not written.
// `pictures`: what PrepareFields read for the poster (null: the window's own).
Block ExportOneWithTexts(const char* templateName, int32_t index, const std::string& outputRoot,
                         const PosterDescription& poster, const std::string& name, uint32_t* error,
                         const FieldPictures* pictures = nullptr);
// A named poster's file in template index's folder: stem + extension, or
// "stem (2)" and on when taken; empty with *error set when a folder cannot be made.
std::string NamedBatchFile(const std::string& outputRoot, int32_t index, const std::string& stem,
                           const char* extension, uint32_t* error = nullptr);

}  // namespace app
