// Writing the answer fields into the progress file.
#pragma once

#include <string>

struct QuizState;

// The progress file's path: its name from the program's, in the current folder.
std::string ProgressFilePath();
// Saves every answer field's text, one CR LF line each, replacing the file
// whole. Nothing is saved for a quiz that did not load (the fallback test quiz
// or a failed decoding), so its answers are never wiped; a field that was not
// built keeps the line read for it at start.
void SaveProgress(QuizState* state);
