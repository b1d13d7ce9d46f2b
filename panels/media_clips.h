// Sound and video clips of the media kinds.
// Until the media player is wired in, this is a stand-in: players are made
// and hosted but play nothing, and no clip file is written.
#pragma once

#include "platform/win_types.h"

struct QuizState;

// Prepares media support for the sound and video kinds.
void StartMediaSupport(QuizState* state);
// Ends media support; for the media kinds it destroys the main window.
void StopMediaSupport(QuizState* state, HWND mainWindow);
// Gives media cell `cell` its player for question n; false when none can be made.
bool CreateClipPlayer(QuizState* state, HWND cell, int n);
// A click on a play (6000 + n) or stop (7000 + n) button.
void HandleClipCommand(QuizState* state, HWND panel, WPARAM command);
// Deletes the last clip file written.
void DeleteClipFile();
