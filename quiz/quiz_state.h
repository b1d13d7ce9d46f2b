// The one in-memory quiz and the display state the two panels share.
#pragma once

#include <cstdint>

#include "quiz/gdi_handles.h"

class QuizServices;

inline constexpr int MAX_QUESTIONS = 96;
inline constexpr int MAX_ROWS = 32;          // rows of three cells in the picture layout
inline constexpr int TEXT_FIELD_SIZE = 260;  // 259 characters and the terminator
inline constexpr int LINK_TEXT_SIZE = 25;
inline constexpr int FOOTER_TEXT_SIZE = 43;
inline constexpr int MEDIA_FOLDER_SIZE = 512;

// Quiz kinds.
inline constexpr std::int32_t KIND_TEXT = 0;
inline constexpr std::int32_t KIND_PICTURES = 1;
inline constexpr std::int32_t KIND_SOUND = 2;
inline constexpr std::int32_t KIND_VIDEO = 3;

struct QuestionNode {
  char answer1[TEXT_FIELD_SIZE];
  char answer2[TEXT_FIELD_SIZE];
  char prompt[TEXT_FIELD_SIZE];
  char revealText[TEXT_FIELD_SIZE];
  std::int32_t solved;
  QuestionNode* prev;
  QuestionNode* next;
};

struct QuestionList {
  QuestionNode* head;
  QuestionNode* tail;
};

struct QuizState {
  std::int32_t contentWidth;
  std::int32_t contentHeight;
  std::int32_t quizKind;
  char title[TEXT_FIELD_SIZE];
  char author[TEXT_FIELD_SIZE];
  char explanation[TEXT_FIELD_SIZE];
  char answerLabel1[TEXT_FIELD_SIZE];
  char answerLabel2[TEXT_FIELD_SIZE];
  std::int32_t questionCount;
  std::int32_t answersPerQuestion;
  char codes[MAX_QUESTIONS][TEXT_FIELD_SIZE];
  std::int32_t revealMode;
  HFONT answerFont;
  HFONT counterFont;
  HFONT titleFont;
  std::int32_t allSolved;
  HWND questionPanel;
  std::int32_t rowHeights[MAX_ROWS];
  // Indexed by question number from 1 to 96; entry 0 is never used.
  std::int32_t questionStates[MAX_QUESTIONS + 1];
  std::uint8_t themeRed;
  std::uint8_t themeBlue;
  std::uint8_t themeGreen;
  std::uint32_t themeColor;
  HBRUSH themeBrush;
  HBRUSH wrongBrush;
  HBRUSH anagramBrush;
  HBRUSH hintBrush;
  HBRUSH questionBrush;
  HWND headerPanel;
  char mediaFolder[MEDIA_FOLDER_SIZE];
  char linkText[LINK_TEXT_SIZE];
  char footerText[FOOTER_TEXT_SIZE];
  QuestionList questionList;
};

// Construction: every field zero or empty, then the defaults in their order,
// with the fonts and brushes of the appearance set made through the services.
void InitQuizState(QuizState* state, QuizServices& services);
// Appends a question at the tail (revealText "", solved 0).
void AddQuestion(QuizState* state, const char* answer1, const char* answer2, const char* prompt);
// The node at a 0-based index; past the end the last node, on an empty list none.
QuestionNode* FindQuestion(const QuizState* state, int index);
// Destruction: the appearance set, then every node.
void ReleaseQuizState(QuizState* state, QuizServices& services);

// Copies a text into a fixed field, cutting it to the field and terminating it.
void CopyField(char* field, int fieldSize, const char* text);
