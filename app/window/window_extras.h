// What the window does beyond its form template: pictures dropped on it and
// texts dragged into place on the preview. Attached once the window exists.
#pragma once
#include <windows.h>
#include <string>

namespace app {

// The main window and its preview box, found among this thread's windows.
struct MainWindowHandles {
    HWND window = nullptr;
    HWND preview = nullptr;
};
MainWindowHandles FindMainWindowHandles();

void AttachWindowExtras();

// Whether a dropped file's name ends in a picture extension the preview takes.
bool IsDroppablePicture(const std::wstring& name);
void AttachPictureDrop(HWND window);
void AttachPreviewDrag(HWND preview);

}  // namespace app
