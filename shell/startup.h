// Start-up, message loop and shutdown of the player.
#pragma once

#include "platform/win_types.h"

struct PlayerWindows {
  HWND main = nullptr;
  HWND header = nullptr;
  HWND questions = nullptr;
};

// Registers the class, loads the quiz, opens the window with both panels.
// False (after its message) when the window class cannot be registered.
bool StartPlayer(HINSTANCE instance, PlayerWindows& windows);
// Runs the loop until the quit message; returns its code.
int RunMessageLoop(const PlayerWindows& windows);
// Tears everything down in order and releases the quiz.
void ShutDownPlayer(PlayerWindows& windows);

int WINAPI_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
