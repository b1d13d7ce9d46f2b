// The process-wide values of the player.
#pragma once

class QuizServices;
struct QuizState;

// The one quiz record, from start-up to shutdown (none outside).
QuizState* TheQuizState();
// The platform's services for the quiz content.
QuizServices& AppServices();
// True when the quiz's own answers record loaded; only then is progress saved.
bool QuizLoaded();
