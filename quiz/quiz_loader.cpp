#include "quiz/quiz_loader.h"

#include <cstring>
#include <vector>

#include "quiz/appearance_set.h"
#include "quiz/link_record.h"
#include "quiz/lzw_decoder.h"
#include "quiz/quiz_services.h"

namespace {

constexpr std::uint8_t TEXT_END = '|';
constexpr std::uint8_t CODE_LINE_END = '\r';

// One position in a decoded record; every read is checked against its end.
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Byte(std::uint8_t& out) {
    if (position_ >= bytes_.size()) return false;
    out = bytes_[position_++];
    return true;
  }

  // Steps over bytes that are not looked at; checked by the next read.
  void Skip(std::size_t count) { position_ += count; }

  // A text up to `terminator`, which is stepped over. Refused without a
  // terminator, or when longer than the field holds (unless `cut`).
  bool Text(char* field, int fieldSize, bool cut = false, std::uint8_t terminator = TEXT_END) {
    // Nothing left (an empty record has no bytes at all): no terminator.
    if (position_ >= bytes_.size()) return false;
    const std::uint8_t* start = bytes_.data() + position_;
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(start, terminator, bytes_.size() - position_));
    if (end == nullptr) return false;
    std::size_t length = static_cast<std::size_t>(end - start);
    const auto room = static_cast<std::size_t>(fieldSize - 1);
    if (length > room) {
      if (!cut) return false;
      length = room;
    }
    std::memcpy(field, start, length);
    field[length] = '\0';
    position_ += static_cast<std::size_t>(end - start) + 1;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

struct ParsedQuestion {
  char answer1[TEXT_FIELD_SIZE];
  char answer2[TEXT_FIELD_SIZE];
  char prompt[TEXT_FIELD_SIZE];
  char revealText[TEXT_FIELD_SIZE];
};

struct ParsedAnswers {
  std::int32_t quizKind = 0;
  std::int32_t answersPerQuestion = 1;
  char title[TEXT_FIELD_SIZE] = {};
  char author[TEXT_FIELD_SIZE] = {};
  char explanation[TEXT_FIELD_SIZE] = {};
  char answerLabel1[TEXT_FIELD_SIZE] = {};
  char answerLabel2[TEXT_FIELD_SIZE] = {};
  std::vector<ParsedQuestion> questions;
  std::uint8_t revealMode = 0;
  std::uint8_t red = 0, green = 0, blue = 0;
};

bool ReadAnswers(std::span<const std::uint8_t> decoded, ParsedAnswers& out) {
  RecordReader reader(decoded);
  std::uint8_t unused = 0, kind = 0, count = 0, fields = 0;
  if (!reader.Byte(unused) || !reader.Byte(kind) || !reader.Byte(count) || !reader.Byte(fields)) return false;
  if (kind < 1 || kind > 4) return false;
  if (count > MAX_QUESTIONS) return false;
  out.quizKind = kind - 1;
  const bool twoAnswerTexts = fields == 2;
  // A text quiz has one field per question; its second answers are read past.
  out.answersPerQuestion = (twoAnswerTexts && out.quizKind != KIND_TEXT) ? 2 : 1;

  if (!reader.Text(out.title, TEXT_FIELD_SIZE) || !reader.Text(out.author, TEXT_FIELD_SIZE) ||
      !reader.Text(out.explanation, TEXT_FIELD_SIZE) || !reader.Text(out.answerLabel1, TEXT_FIELD_SIZE) ||
      !reader.Text(out.answerLabel2, TEXT_FIELD_SIZE)) {
    return false;
  }

  out.questions.assign(count, ParsedQuestion{});
  for (ParsedQuestion& q : out.questions) {
    if (!reader.Text(q.answer1, TEXT_FIELD_SIZE)) return false;
    if (twoAnswerTexts && !reader.Text(q.answer2, TEXT_FIELD_SIZE)) return false;
    if (out.answersPerQuestion != 2) q.answer2[0] = '\0';
    if (!reader.Text(q.prompt, TEXT_FIELD_SIZE)) return false;
  }

  if (!reader.Byte(out.revealMode)) return false;
  if (out.revealMode == 2 || out.revealMode == 3 || out.revealMode == 4) {
    for (ParsedQuestion& q : out.questions) {
      if (!reader.Text(q.revealText, TEXT_FIELD_SIZE)) return false;
      char skipped[TEXT_FIELD_SIZE];
      if (out.revealMode == 3 && !reader.Text(skipped, TEXT_FIELD_SIZE, true)) return false;
    }
  }
  return reader.Byte(out.red) && reader.Byte(out.green) && reader.Byte(out.blue);
}

void SetUpFallbackQuiz(QuizState* state, QuizServices& services) {
  CopyField(state->title, TEXT_FIELD_SIZE, "Nom du ploxa");
  CopyField(state->author, TEXT_FIELD_SIZE, "Createur ploxa");
  CopyField(state->explanation, TEXT_FIELD_SIZE, "Explications du ploxa");
  CopyField(state->answerLabel1, TEXT_FIELD_SIZE, "TEST");
  CopyField(state->answerLabel2, TEXT_FIELD_SIZE, "TEST");
  state->revealMode = 3;
  state->answersPerQuestion = 2;
  state->themeColor = ColourOf(51, 102, 255);
  state->questionCount = 7;
  state->quizKind = KIND_PICTURES;
  state->themeRed = 51;
  state->themeGreen = 102;
  state->themeBlue = 255;
  ReplaceThemeBrush(state, services, ColourOf(51, 102, 255));
  AddQuestion(state, "TEST", "TEST", "emplacement");
  AddQuestion(state, "TEST", "TEST", "emplacement");
}

// Decodes one record; false on any result but success.
bool Decode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& decoded, QuizServices& services) {
  std::int32_t length = 0;
  return LzwDecode(coded, decoded, length, &services) == LZW_OK;
}

}  // namespace

bool ParseLinkRecord(std::span<const std::uint8_t> decoded, LinkTexts& texts) {
  RecordReader reader(decoded);
  reader.Skip(2);
  LinkTexts read{};
  if (!reader.Text(read.linkText, LINK_TEXT_SIZE, true) || !reader.Text(read.footerText, FOOTER_TEXT_SIZE, true)) {
    return false;
  }
  texts = read;
  return true;
}

bool ParseAnswersRecord(std::span<const std::uint8_t> decoded, QuizState* state, QuizServices& services) {
  ParsedAnswers parsed;
  if (!ReadAnswers(decoded, parsed)) return false;

  state->quizKind = parsed.quizKind;
  state->questionCount = static_cast<std::int32_t>(parsed.questions.size());
  state->answersPerQuestion = parsed.answersPerQuestion;
  std::memcpy(state->title, parsed.title, TEXT_FIELD_SIZE);
  std::memcpy(state->author, parsed.author, TEXT_FIELD_SIZE);
  std::memcpy(state->explanation, parsed.explanation, TEXT_FIELD_SIZE);
  std::memcpy(state->answerLabel1, parsed.answerLabel1, TEXT_FIELD_SIZE);
  std::memcpy(state->answerLabel2, parsed.answerLabel2, TEXT_FIELD_SIZE);
  for (const ParsedQuestion& q : parsed.questions) AddQuestion(state, q.answer1, q.answer2, q.prompt);
  state->revealMode = parsed.revealMode;
  for (std::size_t j = 0; j < parsed.questions.size(); ++j) {
    QuestionNode* node = FindQuestion(state, static_cast<int>(j));
    std::memcpy(node->revealText, parsed.questions[j].revealText, TEXT_FIELD_SIZE);
  }
  state->themeRed = parsed.red;
  state->themeGreen = parsed.green;
  state->themeBlue = parsed.blue;
  state->themeColor = ColourOf(parsed.red, parsed.green, parsed.blue);
  ReplaceThemeBrush(state, services, state->themeColor);
  return true;
}

bool ParseCodesRecord(std::span<const std::uint8_t> decoded, QuizState* state) {
  RecordReader reader(decoded);
  char lines[MAX_QUESTIONS][TEXT_FIELD_SIZE] = {};
  const int count = state->questionCount;
  for (int i = 0; i < count; ++i) {
    if (!reader.Text(lines[i], TEXT_FIELD_SIZE, false, CODE_LINE_END)) return false;
    reader.Skip(1);  // the LF after the CR, not looked at
  }
  std::memcpy(state->codes, lines, sizeof lines);
  return true;
}

QuizLoadResult LoadQuiz(QuizState* state, QuizServices& services) {
  const std::array<std::uint8_t, LINK_RECORD_SIZE> link = ReadLinkRecord();
  return LoadQuiz(state, services, link);
}

QuizLoadResult LoadQuiz(QuizState* state, QuizServices& services, std::span<const std::uint8_t> codedLinkRecord) {
  std::vector<std::uint8_t> decoded;
  LinkTexts link{};
  if (!Decode(codedLinkRecord, decoded, services) || !ParseLinkRecord(decoded, link)) {
    services.ShowMessage(LINK_DECODE_FAILED, LOADER_CAPTION);
    state->questionCount = 0;
    return QuizLoadResult::Failed;
  }
  std::memcpy(state->linkText, link.linkText, LINK_TEXT_SIZE);
  std::memcpy(state->footerText, link.footerText, FOOTER_TEXT_SIZE);

  const std::span<const std::uint8_t> answers = services.PatchResource(ANSWERS_RECORD_ID);
  if (answers.empty()) {
    services.ShowMessage(ANSWERS_NOT_FOUND, LOADER_CAPTION);
    SetUpFallbackQuiz(state, services);
    return QuizLoadResult::FallbackQuiz;
  }
  if (!Decode(answers, decoded, services) || !ParseAnswersRecord(decoded, state, services)) {
    services.ShowMessage(ANSWERS_DECODE_FAILED, LOADER_CAPTION);
    state->questionCount = 0;
    return QuizLoadResult::Failed;
  }

  const std::span<const std::uint8_t> codes = services.PatchResource(CODES_RECORD_ID);
  if (!Decode(codes, decoded, services) || !ParseCodesRecord(decoded, state)) {
    services.ShowMessage(CODES_DECODE_FAILED, LOADER_CAPTION);
    return QuizLoadResult::CodesMissing;
  }
  return QuizLoadResult::Loaded;
}
