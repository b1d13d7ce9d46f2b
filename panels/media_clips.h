// Sound and video clips of the media kinds: one player per question, hosted in
// its media cell. A play click writes the question's clip to a file in the
// current folder and plays it; a stop click stops it and deletes the file.
#pragma once

#include "platform/win_types.h"

class MediaPlayer;
struct QuizState;

// Prepares media support for the sound and video kinds: no clip started yet.
void StartMediaSupport(QuizState* state);
// Ends media support; for the media kinds it destroys the main window, then
// lets every player go.
void StopMediaSupport(QuizState* state, HWND mainWindow);
// Gives media cell `cell` its player for question n; false when none can be made.
bool CreateClipPlayer(QuizState* state, HWND cell, int n);
// A click on a play (6000 + n) or stop (7000 + n) button; other commands are ignored.
void HandleClipCommand(QuizState* state, HWND panel, WPARAM command);
// Writes clip resource `resourceId` to its file in the current folder, named by
// its type; 1 when written, 0 when there is no such clip or it cannot be loaded.
// `medium` (1 sound, 2 video) chooses the message shown for a clip that cannot be loaded.
int ExtractMediaClip(QuizState* state, int resourceId, int medium);
// Deletes the last clip file written.
void DeleteClipFile();

// For tests: the player of question n, null when it has none.
const MediaPlayer* ClipPlayer(int n);
