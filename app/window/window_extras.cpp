// Attaches what the form template cannot express to the main window and its
// preview box.
#include "app/window/window_extras.h"
#include <cstring>
#include "app/window/window_place.h"

namespace app {

void AttachWindowExtras() {
    MainWindowHandles handles = FindMainWindowHandles();
    AttachPictureDrop(handles.window);
    AttachPreviewDrag(handles.preview);
    AttachWindowLayout(handles.window);
}

}  // namespace app
