// The strip along the top of the main window: title, explanation, author,
// found counter, code field, link, "Sauver" and, for a picture quiz, "Cacher".
#pragma once

#include "platform/win_types.h"

INT_PTR HeaderPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// The link label opens only web and mail addresses; anything else is not opened.
bool IsOpenableLink(const char* link);
