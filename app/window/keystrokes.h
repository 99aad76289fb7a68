// Whether keystrokes wait to be handled, read from the queue's state: a peek
// would also run the messages other threads sent meanwhile (Wine runs them
// whatever the peek's filter), and one of them, a batch for instance, would
// then run inside the refresh that asked.
#pragma once
#include <windows.h>

namespace app {
inline bool KeystrokeWaiting() { return HIWORD(GetQueueStatus(QS_KEY | QS_POSTMESSAGE)) != 0; }
}  // namespace app
