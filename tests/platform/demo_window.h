// A small program written only against the platform layer: a window holding a
// dialog with labels, two edits and a check box. Used on screen under Xvfb and
// offscreen by the tests.
#pragma once

#include <string>

#include "platform/win_api.h"

namespace ploxa::demo {

inline constexpr const char* kTitle = "Ploxa demo";
inline constexpr int kFirstEdit = 4001;
inline constexpr int kSecondEdit = 4002;
inline constexpr int kCheckBox = 33;
inline constexpr int kBravoLabel = 5001;
inline constexpr COLORREF kPanelColour = RGB(128, 128, 255);
inline constexpr COLORREF kBravoColour = RGB(0, 255, 0);

// Creates the main window (544 x 375, centred) and its panel; the panel is returned.
HWND CreateDemo(HINSTANCE instance, HWND* mainWindow);
// What the panel holds: both edits as code page 1252 bytes in hex, and the check state.
std::string DemoReport(HWND panel);
// The program's message loop; the report is printed when the window is closed.
int RunDemo(HINSTANCE instance);

}  // namespace ploxa::demo
