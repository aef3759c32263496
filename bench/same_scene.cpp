// The benchmark's top-level reference: the saver's own scene drawn by the
// saver's own renderer in one full-screen top-level window, with no child,
// so that beside the child-window reference the cost of drawing in a child
// shows. Leaves out the saver's shell: no second window, no close rules, no
// password, no modes. Ends on a key press, as the saver does.
#include <windows.h>

#include "full_screen_window.h"
#include "scene_frame_proc.h"

namespace {
const char ClassName[] = "SameSceneReference";
const char Title[] = "Same scene";
const DWORD Style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

int main()
{
    return RunFullScreenWindow(SceneFrameProc, ClassName, Title, SceneClassStyle, Style);
}
