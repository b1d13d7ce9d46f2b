#include "tools/pack/quiz_pack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "quiz/link_record.h"
#include "quiz/lzw_decoder.h"
#include "quiz/quiz_loader.h"
#include "quiz/quiz_state.h"
#include "quiz/clip_type.h"
#include "tools/link_record_writer.h"
#include "tools/lzw_encoder.h"
#include "tools/pack/picture_check.h"
#include "tools/pack/text_1252.h"

namespace {

constexpr std::size_t TEXT_ROOM = TEXT_FIELD_SIZE - 1;
constexpr char TEXT_END = '|';

struct Where {
  int line;
  std::string field;
};

class Packer {
 public:
  Packer(const QuizDescription& quiz, const std::string& file, const std::filesystem::path& folder, Diagnostics& d)
      : quiz_(quiz), file_(file), folder_(folder), d_(d) {}

  bool Run(PackedQuiz& packed);

 private:
  void Error(const Where& at, const std::string& message) { d_.Error(file_, at.line, at.field, message); }
  void Warning(const Where& at, const std::string& message) { d_.Warning(file_, at.line, at.field, message); }

  int TopLine(const char* key) const {
    auto found = quiz_.lines.find(key);
    return found == quiz_.lines.end() ? 1 : found->second;
  }
  static int LineIn(const QuestionDescription& q, const char* key) {
    auto found = q.lines.find(key);
    return found == q.lines.end() ? q.line : found->second;
  }

  std::string Text(const std::string& utf8, std::size_t room, const Where& at, bool barAllowed = false);
  void CheckHeader();
  void CheckQuestions();
  void CheckCodes();
  void CheckLink(PackedQuiz& packed);
  bool ReadFile(const std::string& name, const Where& at, std::vector<std::uint8_t>& bytes);
  void AddPicture(int n, const std::string& name, bool reveal, const Where& at, PackedQuiz& packed);
  void AddClip(int n, const std::string& name, const Where& at, PackedQuiz& packed);
  std::vector<std::uint8_t> Code(const std::string& plain, const char* what, const Where& at);

  const QuizDescription& quiz_;
  const std::string& file_;
  const std::filesystem::path& folder_;
  Diagnostics& d_;

  // The record's texts, converted as they are checked.
  std::string header_;
  std::string entries_;
  std::string reveals_;
  std::string codes_;
};

// Converts a text for a field of `room` bytes, reporting each way it cannot go in.
std::string Packer::Text(const std::string& utf8, std::size_t room, const Where& at, bool barAllowed) {
  std::string bytes;
  std::string problem;
  if (!Utf8ToCp1252(utf8, &bytes, &problem)) {
    Error(at, problem + "; the player's texts are code page 1252");
    return "";
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == TEXT_END && !barAllowed) {
      Error(at, "holds \"|\" (character " + std::to_string(i + 1) + "), which ends a text in the quiz records");
    } else if (c == '\r' || c == '\n') {
      Error(at, std::string("holds a ") + (c == '\r' ? "carriage return (CR)" : "line feed (LF)") + " at character " +
                    std::to_string(i + 1) + "; a text is one line");
    } else if (c < 0x20 || c == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", c);
      Error(at, std::string("holds the control character ") + code + " at character " + std::to_string(i + 1));
    }
  }
  if (bytes.size() > room) {
    Error(at, "is " + std::to_string(bytes.size()) + " bytes in code page 1252, its field holds " +
                  std::to_string(room) + " (" + std::to_string(bytes.size() - room) + " too many)");
  }
  return bytes;
}

void Packer::CheckHeader() {
  const int count = static_cast<int>(quiz_.questions.size());
  if (quiz_.kind == KIND_TEXT && quiz_.answersPerQuestion == 2) {
    Error({TopLine("answers_per_question"), "answers_per_question"},
          "a text quiz has one answer per question; two answers need the pictures, sound or video kind");
  }
  header_ += '\0';  // not read by the player
  header_ += static_cast<char>(quiz_.kind + 1);
  header_ += static_cast<char>(count > MAX_QUESTIONS ? 0 : count);
  header_ += static_cast<char>(quiz_.answersPerQuestion);
  header_ += Text(quiz_.title, TEXT_ROOM, {TopLine("title"), "title"}) + TEXT_END;
  header_ += Text(quiz_.author, TEXT_ROOM, {TopLine("author"), "author"}) + TEXT_END;
  header_ += Text(quiz_.explanation, TEXT_ROOM, {TopLine("explanation"), "explanation"}) + TEXT_END;
  for (int k = 0; k < 2; ++k) {
    header_ += Text(quiz_.answerLabels[k], TEXT_ROOM,
                    {TopLine("answer_labels"), "answer_labels[" + std::to_string(k + 1) + "]"}) +
               TEXT_END;
  }

  const std::string& theme = quiz_.theme;
  bool themeOk = theme.size() == 7 && theme[0] == '#';
  for (std::size_t i = 1; themeOk && i < 7; ++i) themeOk = std::isxdigit(static_cast<unsigned char>(theme[i])) != 0;
  if (!themeOk) Error({TopLine("theme"), "theme"}, "\"" + theme + "\" is not a colour written #RRGGBB, like \"#3366FF\"");
}

void Packer::CheckQuestions() {
  const int count = static_cast<int>(quiz_.questions.size());
  if (count == 0) Error({1, "question"}, "the quiz has no question; add [[question]] tables");
  if (count > MAX_QUESTIONS) {
    Error({quiz_.questions[MAX_QUESTIONS].line, "question " + std::to_string(MAX_QUESTIONS + 1)},
          "the quiz has " + std::to_string(count) + " questions, at most " + std::to_string(MAX_QUESTIONS) + " fit (" +
              std::to_string(count - MAX_QUESTIONS) + " too many)");
  }
  const bool cells = quiz_.kind != KIND_TEXT;
  const std::size_t answerRoom = cells ? CELL_ANSWER_LIMIT : TEXT_ROOM;
  const bool revealsText = quiz_.reveal == Reveal::Text || quiz_.reveal == Reveal::TextAndPicture ||
                           quiz_.reveal == Reveal::AllTextsAtEnd;
  const bool revealsPicture = quiz_.reveal == Reveal::Picture || quiz_.reveal == Reveal::TextAndPicture;

  for (int i = 0; i < count; ++i) {
    const QuestionDescription& q = quiz_.questions[static_cast<std::size_t>(i)];
    const std::string name = "question " + std::to_string(i + 1);
    auto at = [&](const char* key) { return Where{LineIn(q, key), name + ", " + key}; };
    auto checkAnswer = [&](const std::string& text, const char* key) {
      std::string bytes = Text(text, TEXT_ROOM, at(key));
      if (cells && bytes.size() > CELL_ANSWER_LIMIT && bytes.size() <= TEXT_ROOM) {
        Error(at(key), "is " + std::to_string(bytes.size()) + " characters; an answer field of the " +
                           KindName(quiz_.kind) + " kind takes " + std::to_string(answerRoom) + " (" +
                           std::to_string(bytes.size() - CELL_ANSWER_LIMIT) + " too many)");
      }
      if (text.find_first_not_of(' ') == std::string::npos) {
        Warning(at(key), "is empty, so no typed answer can ever be judged right");
      }
      return bytes;
    };

    entries_ += checkAnswer(q.answer, "answer") + TEXT_END;
    if (quiz_.answersPerQuestion == 2) {
      if (q.hasAnswer2) {
        entries_ += checkAnswer(q.answer2, "answer2") + TEXT_END;
      } else {
        Error({q.line, name}, "has no answer2, and the quiz has two answers per question");
        entries_ += TEXT_END;
      }
    } else if (q.hasAnswer2) {
      Error(at("answer2"), quiz_.kind == KIND_TEXT ? "a text quiz has one answer per question"
                                                   : "answers_per_question is 1; set it to 2 for a second answer");
    }
    entries_ += Text(q.prompt, TEXT_ROOM, at("prompt")) + TEXT_END;

    if (revealsText) {
      reveals_ += Text(q.revealText, TEXT_ROOM, at("reveal_text")) + TEXT_END;
      // The player reads a second text per question in this mode and keeps none of it.
      if (quiz_.reveal == Reveal::TextAndPicture) reveals_ += TEXT_END;
    } else if (!q.revealText.empty()) {
      Warning(at("reveal_text"), std::string("is left out: with reveal = \"") + RevealName(quiz_.reveal) +
                                     "\" the player shows no reveal text");
    }

    if (quiz_.kind == KIND_PICTURES) {
      if (q.lines.count("picture") == 0) Error({q.line, name}, "has no picture, and this is a picture quiz");
      if (!q.revealPicture.empty() && !revealsPicture) {
        Warning(at("reveal_picture"), std::string("is never shown with reveal = \"") + RevealName(quiz_.reveal) + "\"");
      }
    } else {
      if (q.lines.count("picture") != 0) Error(at("picture"), std::string("a ") + KindName(quiz_.kind) + " quiz has no pictures");
      if (q.lines.count("reveal_picture") != 0) {
        Error(at("reveal_picture"), "reveal pictures belong to picture quizzes");
      }
    }
    const bool clips = quiz_.kind == KIND_SOUND || quiz_.kind == KIND_VIDEO;
    if (clips && q.lines.count("clip") == 0) {
      Error({q.line, name}, std::string("has no clip, and this is a ") + KindName(quiz_.kind) + " quiz");
    }
    if (!clips && q.lines.count("clip") != 0) Error(at("clip"), "clips belong to sound and video quizzes");
  }
}

void Packer::CheckCodes() {
  const std::size_t count = quiz_.questions.size();
  for (std::size_t i = 0; i < quiz_.codes.size(); ++i) {
    const int line = i < quiz_.codeLines.size() ? quiz_.codeLines[i] : TopLine("codes");
    // A code line ends at CR LF, so "|" may stand in it.
    codes_ += Text(quiz_.codes[i], TEXT_ROOM, {line, "codes[" + std::to_string(i + 1) + "]"}, true) + "\r\n";
  }
  if (quiz_.codes.size() != count && quiz_.lines.count("codes") != 0) {
    Error({TopLine("codes"), "codes"}, std::to_string(quiz_.codes.size()) + " code lines for " + std::to_string(count) +
                                           " questions; give one per number of questions found (line k shows once "
                                           "k questions are found)");
  }
}

bool IsPrefix(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void Packer::CheckLink(PackedQuiz& packed) {
  const Where linkAt{TopLine("link"), "link"};
  const Where footerAt{TopLine("footer"), "footer"};
  const std::size_t before = d_.ErrorCount();
  const std::string link = Text(quiz_.link, LINK_TEXT_SIZE - 1, linkAt);
  const std::string footer = Text(quiz_.footer, FOOTER_TEXT_SIZE - 1, footerAt);
  if (!quiz_.link.empty() && !IsOpenableLink(quiz_.link)) {
    Error(linkAt, "\"" + quiz_.link + "\" would not open: the player opens only links that start with http:, https:, "
                                      "mailto: or www.");
  }
  if (d_.ErrorCount() != before) return;
  std::string problem;
  packed.linkRecord = CodeLinkRecord(link, footer, &problem);
  if (packed.linkRecord.empty()) Error(linkAt, problem);
}

bool Packer::ReadFile(const std::string& name, const Where& at, std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path path = folder_ / std::filesystem::u8path(name);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int why = errno;
    Error(at, "cannot read \"" + path.string() + "\": " + std::strerror(why != 0 ? why : ENOENT));
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad() || std::filesystem::is_directory(path)) {
    Error(at, "cannot read \"" + path.string() + "\"");
    return false;
  }
  if (bytes.empty()) {
    Error(at, "\"" + path.string() + "\" is empty");
    return false;
  }
  return true;
}

void Packer::AddPicture(int n, const std::string& name, bool reveal, const Where& at, PackedQuiz& packed) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(name, at, bytes)) return;
  const std::string problem = CheckPicture(bytes);
  if (!problem.empty()) {
    Error(at, "\"" + name + "\": " + problem);
    return;
  }
  const std::uint32_t id = (reveal ? REVEAL_PICTURE_ID_BASE : PICTURE_ID_BASE) + static_cast<std::uint32_t>(n);
  // PNG goes to the data resources the player's own PNG decoder reads, as it is;
  // the other formats to "IMG", exchanged above id 10000.
  if (PictureFormat(bytes) == "PNG") {
    packed.resources.push_back({bundle::ResourceType::Numbered(RT_RCDATA_NUMBER), id, std::move(bytes)});
  } else {
    if (id > EXCHANGED_IDS_ABOVE) ExchangeNibbles(bytes);
    packed.resources.push_back({bundle::ResourceType::Named(PICTURE_TYPE), id, std::move(bytes)});
  }
}

void Packer::AddClip(int n, const std::string& name, const Where& at, PackedQuiz& packed) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(name, at, bytes)) return;
  if (std::strcmp(ClipExtension(bytes), "XXX") == 0) {
    Warning(at, "\"" + name + "\": the player does not recognise this clip's type by its first bytes and writes it "
                              "as a .XXX file; WAV, MP3 with an ID3 tag, AVI, WMV and MPEG are recognised");
  }
  packed.resources.push_back(
      {bundle::ResourceType::Named(PICTURE_TYPE), PICTURE_ID_BASE + static_cast<std::uint32_t>(n), std::move(bytes)});
}

std::vector<std::uint8_t> Packer::Code(const std::string& plain, const char* what, const Where& at) {
  const LzwEncodeResult result = LzwEncode({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()});
  switch (result.status) {
    case LzwEncodeStatus::Ok:
      return result.coded;
    case LzwEncodeStatus::Empty:
      Error(at, std::string("the ") + what + " is empty");
      break;
    case LzwEncodeStatus::PlainTooLong:
      Error(at, std::string("the ") + what + " decodes to " + std::to_string(plain.size()) + " bytes, " +
                    std::to_string(plain.size() - LZW_MAX_OUTPUT) + " more than the " +
                    std::to_string(LZW_MAX_OUTPUT) + " the player decodes; shorten its texts");
      break;
    case LzwEncodeStatus::CodedTooLong:
      Error(at, std::string("the coded ") + what + " takes " + std::to_string(result.coded.size()) + " bytes, " +
                    std::to_string(result.coded.size() - LZW_MAX_INPUT) + " more than the " +
                    std::to_string(LZW_MAX_INPUT) + " the player reads; shorten its texts");
      break;
  }
  return {};
}

bool Packer::Run(PackedQuiz& packed) {
  const std::size_t before = d_.ErrorCount();
  CheckHeader();
  CheckQuestions();
  CheckCodes();
  CheckLink(packed);

  std::string answers = header_ + entries_;
  answers += static_cast<char>(quiz_.reveal);
  answers += reveals_;
  unsigned red = 0, green = 0, blue = 0;
  if (std::sscanf(quiz_.theme.c_str(), "#%2x%2x%2x", &red, &green, &blue) == 3) {
    answers += static_cast<char>(red);
    answers += static_cast<char>(green);
    answers += static_cast<char>(blue);
  }
  const int firstQuestion = quiz_.questions.empty() ? 1 : quiz_.questions.front().line;
  std::vector<std::uint8_t> codedAnswers = Code(answers, "answers record", {firstQuestion, "question"});
  std::vector<std::uint8_t> codedCodes = Code(codes_, "codes record", {TopLine("codes"), "codes"});
  packed.resources.push_back({bundle::ResourceType::Named(PATCH_TYPE), ANSWERS_RECORD_ID, std::move(codedAnswers)});
  packed.resources.push_back({bundle::ResourceType::Named(PATCH_TYPE), CODES_RECORD_ID, std::move(codedCodes)});

  const int count = std::min(static_cast<int>(quiz_.questions.size()), MAX_QUESTIONS);
  for (int i = 0; i < count; ++i) {
    const QuestionDescription& q = quiz_.questions[static_cast<std::size_t>(i)];
    const int n = i + 1;
    const std::string name = "question " + std::to_string(n);
    if (quiz_.kind == KIND_PICTURES) {
      if (q.lines.count("picture") != 0) AddPicture(n, q.picture, false, {LineIn(q, "picture"), name + ", picture"}, packed);
      if (q.lines.count("reveal_picture") != 0) {
        AddPicture(n, q.revealPicture, true, {LineIn(q, "reveal_picture"), name + ", reveal_picture"}, packed);
      }
    } else if (quiz_.kind == KIND_SOUND || quiz_.kind == KIND_VIDEO) {
      if (q.lines.count("clip") != 0) AddClip(n, q.clip, {LineIn(q, "clip"), name + ", clip"}, packed);
    }
  }
  if (d_.ErrorCount() != before) {
    packed = {};
    return false;
  }
  return true;
}

}  // namespace

void ExchangeNibbles(std::vector<std::uint8_t>& bytes) {
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>((b << 4) | (b >> 4));
}

bool IsOpenableLink(const std::string& link) {
  return IsPrefix(link, "http:") || IsPrefix(link, "https:") || IsPrefix(link, "mailto:") || IsPrefix(link, "www.");
}

bool PackQuiz(const QuizDescription& quiz, const std::string& file, const std::filesystem::path& folder,
              PackedQuiz& packed, Diagnostics& diagnostics) {
  Packer packer(quiz, file, folder, diagnostics);
  return packer.Run(packed);
}
