// The preview: the window's poster drawn at the size the preview box shows it,
// at each change, and the holds and deferrals that keep it to one drawing per
// change a person can see.
#pragma once

namespace app {

// Draws a refresh that typing put off, so the picture holds the texts shown.
void FlushDeferredRefresh();
// After a batch has shown its posters: the window's own poster drawn now, so
// that what is shown, and exported, is the person's again (nothing, should
// its template have gone meanwhile).
void ShowWindowPosterAgain();

// While a hold lives, RefreshPreview only notes that it was asked for; when the
// last hold ends, one refresh runs if any was asked for. Loading the settings
// writes six boxes, each firing a refresh, while no message is pumped and the
// window is not yet shown: only the last of those pictures could ever be seen.
class PreviewRefreshHold {
public:
    PreviewRefreshHold();
    ~PreviewRefreshHold();
    PreviewRefreshHold(const PreviewRefreshHold&) = delete;
    PreviewRefreshHold& operator=(const PreviewRefreshHold&) = delete;
};

}  // namespace app
