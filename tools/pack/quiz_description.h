// A quiz as its author describes it (UTF-8 texts, file names of pictures and
// clips), read from and written to the TOML description format.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/pack/diagnostics.h"

// What solving a question reveals; the values are the record's reveal modes.
enum class Reveal : std::uint8_t { Nothing = 0, Picture = 1, Text = 2, TextAndPicture = 3, AllTextsAtEnd = 4 };

// Names as the description spells them.
const char* KindName(int quizKind);            // "text", "pictures", "sound", "video"
int KindFromName(const std::string& name);      // -1 when unknown
const char* RevealName(Reveal reveal);
bool RevealFromName(const std::string& name, Reveal* reveal);
const std::vector<std::string>& RevealNames();
const std::vector<std::string>& KindNames();

// Where each field was written, for messages; 0 when it was not.
using FieldLines = std::map<std::string, int>;

struct QuestionDescription {
  int line = 0;  // its [[question]] header
  std::string prompt;
  std::string answer;
  std::string answer2;
  bool hasAnswer2 = false;
  std::string revealText;
  std::string picture;         // file names, relative to the description's folder
  std::string revealPicture;
  std::string clip;
  FieldLines lines;
};

struct QuizDescription {
  int kind = 0;  // quizKind: 0 text, 1 pictures, 2 sound, 3 video
  std::string title;
  std::string author;
  std::string explanation;
  int answersPerQuestion = 1;
  std::array<std::string, 2> answerLabels;
  Reveal reveal = Reveal::Nothing;
  std::string theme = "#5A5F96";
  std::string link;
  std::string footer;
  std::vector<std::string> codes;
  std::vector<int> codeLines;
  std::vector<QuestionDescription> questions;
  FieldLines lines;
  bool readable = true;  // false after a syntax error: nothing else could be read
};

// Parses `text` (the contents of `file`) and reports syntax errors, unknown
// fields and fields of the wrong type into `diagnostics`.
QuizDescription ReadDescription(const std::string& text, const std::string& file, Diagnostics& diagnostics);
// The description in the same format, every field written, ready for ReadDescription.
std::string WriteDescription(const QuizDescription& quiz);
