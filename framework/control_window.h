// The window of a control activated in place with one: its window class (one per module), its
// procedure (painting through the control's drawing) and its placement within the container.
#pragma once

#include <windows.h>

#include "presentation.h"

namespace fw {

// Creates the control's child window of parent at pos (hidden; WS_VISIBLE and WS_POPUP are
// dropped from style), painting through *draw, which must outlive the window or be detached by
// DestroyControlWindow. Sets *window on success; on failure the error and *window untouched.
[[nodiscard]] HRESULT CreateControlWindow(HWND parent, DWORD style, const RECT& pos,
                                          DrawCallback* draw, HWND* window);

// Detaches the drawing (no more paints into a control that may be dying) and destroys window.
void DestroyControlWindow(HWND window);

// Places window at pos and clips it to the part of pos inside clip.
void PlaceControlWindow(HWND window, const RECT& pos, const RECT& clip);

}  // namespace fw
