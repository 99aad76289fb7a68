// Attaches what the form template cannot express to the main window and its
// preview box.
#include "app/window_extras.h"

namespace app {

void AttachWindowExtras() {
    MainWindowHandles handles = FindMainWindowHandles();
    AttachPictureDrop(handles.window);
    AttachPreviewDrag(handles.preview);
}

}  // namespace app
