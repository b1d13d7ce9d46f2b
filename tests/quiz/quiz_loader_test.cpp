#include "quiz/quiz_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quiz/appearance_set.h"
#include "quiz/link_record.h"
#include "quiz/lzw_decoder.h"
#include "tests/support/recording_services.h"
#include "tools/link_record_writer.h"
#include "tools/lzw_encoder.h"

namespace {

std::vector<std::uint8_t> Coded(const std::string& plain) {
  const LzwEncodeResult r = LzwEncode({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()});
  EXPECT_EQ(r.status, LzwEncodeStatus::Ok);
  return r.coded;
}

// A decoded answers record, front to back.
std::string Answers(int kind, int count, int fields, const std::vector<std::string>& texts, int revealMode,
                    const std::vector<std::string>& reveals, std::string colour = "\x10\x20\x30") {
  std::string r = {'\x00', static_cast<char>(kind), static_cast<char>(count), static_cast<char>(fields)};
  for (const std::string& t : texts) r += t + "|";
  r += static_cast<char>(revealMode);
  for (const std::string& t : reveals) r += t + "|";
  return r + colour;
}

const std::string kHeader[] = {"Titre", "Auteur", "Explication", "R\xE9ponse A", "R\xE9ponse B"};

std::vector<std::string> WithHeader(std::vector<std::string> entries) {
  std::vector<std::string> texts(std::begin(kHeader), std::end(kHeader));
  texts.insert(texts.end(), entries.begin(), entries.end());
  return texts;
}

struct Loaded {
  RecordingServices services;
  std::unique_ptr<QuizState> state = std::make_unique<QuizState>();

  Loaded() { InitQuizState(state.get(), services); }
  ~Loaded() {
    ReleaseQuizState(state.get(), services);
    EXPECT_EQ(services.Live(), 0u) << "a font or brush was not released";
  }
  void Load(const std::string& link = "www.exemple.fr", const std::string& footer = "Pied de page") {
    const std::vector<std::uint8_t> record = CodeLinkRecord(link, footer, nullptr);
    LoadQuiz(state.get(), services, record);
  }
  void SetAnswers(const std::string& decoded) { services.records[ANSWERS_RECORD_ID] = Coded(decoded); }
  void SetCodes(const std::string& decoded) { services.records[CODES_RECORD_ID] = Coded(decoded); }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : services.messages) {
      EXPECT_EQ(m.caption, "Ploxa");
      texts.push_back(m.text);
    }
    return texts;
  }
};

TEST(LoadQuiz, ReadsATextQuiz) {
  Loaded q;
  q.SetAnswers(Answers(1, 3, 1, WithHeader({"Paris", "Capitale de la France ?", "Rh\xF4ne", "Fleuve de Lyon ?",
                                            "", "Question vide ?"}),
                       2, {"Bravo Paris", "Bravo Rh\xF4ne", ""}));
  q.SetCodes("code un\r\ncode deux\r\n\r\n");
  q.Load("www.exemple.fr", "Pied de page");

  EXPECT_TRUE(q.services.messages.empty());
  const QuizState& s = *q.state;
  EXPECT_STREQ(s.linkText, "www.exemple.fr");
  EXPECT_STREQ(s.footerText, "Pied de page");
  EXPECT_EQ(s.quizKind, KIND_TEXT);
  EXPECT_EQ(s.questionCount, 3);
  EXPECT_EQ(s.answersPerQuestion, 1);
  EXPECT_STREQ(s.title, "Titre");
  EXPECT_STREQ(s.author, "Auteur");
  EXPECT_STREQ(s.explanation, "Explication");
  EXPECT_STREQ(s.answerLabel1, "R\xE9ponse A");
  EXPECT_STREQ(s.answerLabel2, "R\xE9ponse B");
  EXPECT_STREQ(FindQuestion(&s, 0)->answer1, "Paris");
  EXPECT_STREQ(FindQuestion(&s, 0)->prompt, "Capitale de la France ?");
  EXPECT_STREQ(FindQuestion(&s, 1)->answer1, "Rh\xF4ne");
  EXPECT_STREQ(FindQuestion(&s, 2)->answer1, "");
  EXPECT_STREQ(FindQuestion(&s, 2)->answer2, "");
  EXPECT_EQ(s.revealMode, 2);
  EXPECT_STREQ(FindQuestion(&s, 0)->revealText, "Bravo Paris");
  EXPECT_STREQ(FindQuestion(&s, 1)->revealText, "Bravo Rh\xF4ne");
  EXPECT_EQ(s.themeRed, 0x10);
  EXPECT_EQ(s.themeGreen, 0x20);
  EXPECT_EQ(s.themeBlue, 0x30);
  EXPECT_EQ(s.themeColor, 0x302010u);
  EXPECT_EQ(q.services.made.back().colour, 0x302010u) << "the theme brush is of the quiz's colour";
  EXPECT_STREQ(s.codes[0], "code un");
  EXPECT_STREQ(s.codes[1], "code deux");
  EXPECT_STREQ(s.codes[2], "");
}

TEST(LoadQuiz, AnswerFieldsAndRevealModes) {
  struct Case {
    const char* name;
    int kind, fields;
    std::vector<std::string> entries;
    int revealMode;
    std::vector<std::string> reveals;
    int answersPerQuestion;
    const char* answer2;
    const char* prompt;
    const char* revealText;
  };
  const std::vector<Case> cases = {
      {"two answers in a picture quiz", 2, 2, {"Lune", "Soleil", "Astres"}, 1, {}, 2, "Soleil", "Astres", ""},
      {"fields byte 1", 2, 1, {"Lune", "Astres"}, 0, {}, 1, "", "Astres", ""},
      {"fields byte 0", 3, 0, {"Lune", "Astres"}, 0, {}, 1, "", "Astres", ""},
      {"fields byte 3", 4, 3, {"Lune", "Astres"}, 0, {}, 1, "", "Astres", ""},
      {"a text quiz reads past its second answers", 1, 2, {"Lune", "Soleil", "Astres"}, 0, {}, 1, "", "Astres", ""},
      {"reveal mode 3 keeps the first text", 2, 1, {"Lune", "Astres"}, 3, {"gard\xE9", "saut\xE9"}, 1, "", "Astres",
       "gard\xE9"},
      {"reveal mode 4", 2, 1, {"Lune", "Astres"}, 4, {"tout"}, 1, "", "Astres", "tout"},
      {"reveal mode 5 reads nothing", 2, 1, {"Lune", "Astres"}, 5, {}, 1, "", "Astres", ""},
      {"empty texts", 2, 1, {"", ""}, 2, {""}, 1, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded q;
    q.SetAnswers(Answers(c.kind, 1, c.fields, WithHeader(c.entries), c.revealMode, c.reveals));
    q.SetCodes("seul code\r\n");
    q.Load();
    EXPECT_TRUE(q.services.messages.empty());
    EXPECT_EQ(q.state->quizKind, c.kind - 1);
    EXPECT_EQ(q.state->answersPerQuestion, c.answersPerQuestion);
    EXPECT_STREQ(q.state->questionList.head->answer2, c.answer2);
    EXPECT_STREQ(q.state->questionList.head->prompt, c.prompt);
    EXPECT_STREQ(q.state->questionList.head->revealText, c.revealText);
    EXPECT_EQ(q.state->revealMode, c.revealMode);
    EXPECT_EQ(q.state->themeColor, 0x302010u) << "colour bytes found after the reveal entries";
    EXPECT_STREQ(q.state->codes[0], "seul code");
  }
}

TEST(LoadQuiz, ZeroQuestionsStillReadsRevealModeAndColour) {
  Loaded q;
  q.SetAnswers(Answers(1, 0, 1, WithHeader({}), 3, {}, "\x01\x02\x03"));
  q.SetCodes("x");  // decoded, no line read
  q.Load();
  EXPECT_TRUE(q.services.messages.empty());
  EXPECT_EQ(q.state->questionCount, 0);
  EXPECT_EQ(q.state->revealMode, 3);
  EXPECT_EQ(q.state->themeColor, 0x030201u);
  EXPECT_EQ(q.state->questionList.head, nullptr);
}

TEST(LoadQuiz, FallbackTestQuizWhenTheAnswersAreMissing) {
  Loaded q;
  q.SetCodes("jamais lu\r\n");
  q.Load();
  EXPECT_EQ(q.MessageTexts(), std::vector<std::string>{"Reponses non trouv\xE9" "es"});
  EXPECT_EQ(q.services.recordsAsked, std::vector<int>{ANSWERS_RECORD_ID}) << "the codes record is not read";
  const QuizState& s = *q.state;
  EXPECT_STREQ(s.title, "Nom du ploxa");
  EXPECT_STREQ(s.author, "Createur ploxa");
  EXPECT_STREQ(s.explanation, "Explications du ploxa");
  EXPECT_STREQ(s.answerLabel1, "TEST");
  EXPECT_STREQ(s.answerLabel2, "TEST");
  EXPECT_EQ(s.revealMode, 3);
  EXPECT_EQ(s.answersPerQuestion, 2);
  EXPECT_EQ(s.questionCount, 7);
  EXPECT_EQ(s.quizKind, KIND_PICTURES);
  EXPECT_EQ(s.themeRed, 51);
  EXPECT_EQ(s.themeGreen, 102);
  EXPECT_EQ(s.themeBlue, 255);
  EXPECT_EQ(q.services.made.back().colour, ColourOf(51, 102, 255));
  EXPECT_STREQ(s.linkText, "www.exemple.fr");
  QuestionNode* second = s.questionList.tail;
  EXPECT_EQ(FindQuestion(&s, 1), second);
  EXPECT_NE(FindQuestion(&s, 0), second);
  for (int i = 2; i < 7; ++i) EXPECT_EQ(FindQuestion(&s, i), second);
  EXPECT_STREQ(second->prompt, "emplacement");
  EXPECT_STREQ(second->answer2, "TEST");
  EXPECT_STREQ(s.codes[0], "");
}

TEST(LoadQuiz, LinkRecordFailures) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> coded;
  };
  const std::vector<Case> cases = {
      {"all zero bytes decode to nothing usable", std::vector<std::uint8_t>(LINK_RECORD_SIZE, 0)},
      {"no terminators", [] {
         auto r = Coded("  lien sans fin");
         r.resize(LINK_RECORD_SIZE, 0);
         return r;
       }()},
      {"one terminator", [] {
         auto r = Coded("  lien|pied");
         r.resize(LINK_RECORD_SIZE, 0);
         return r;
       }()},
      {"bad stream", std::vector<std::uint8_t>(LINK_RECORD_SIZE, 0xFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded q;
    q.SetAnswers(Answers(1, 1, 1, WithHeader({"a", "b"}), 0, {}));
    LoadQuiz(q.state.get(), q.services, c.coded);
    EXPECT_EQ(q.MessageTexts(), std::vector<std::string>{"Erreur dans le d\xE9" "cryptage"});
    EXPECT_EQ(q.state->questionCount, 0);
    EXPECT_TRUE(q.services.recordsAsked.empty()) << "the records are not read";
    EXPECT_STREQ(q.state->linkText, "");
    EXPECT_STREQ(q.state->footerText, "");
  }
}

TEST(LoadQuiz, LinkTextsLongerThanTheirFieldsAreCut) {
  Loaded q;
  q.SetAnswers(Answers(1, 1, 1, WithHeader({"a", "b"}), 0, {}));
  q.SetCodes("c\r\n");
  const std::string plain = "  " + std::string(30, 'L') + "|" + std::string(50, 'F') + "|";
  LoadQuiz(q.state.get(), q.services, Coded(plain));
  EXPECT_TRUE(q.services.messages.empty());
  EXPECT_EQ(std::string(q.state->linkText), std::string(24, 'L'));
  EXPECT_EQ(std::string(q.state->footerText), std::string(42, 'F'));
}

TEST(LoadQuiz, AnswersRecordFailuresLeaveAnEmptyQuiz) {
  const std::string good = Answers(2, 1, 1, WithHeader({"Lune", "Astres"}), 2, {"r"});
  struct Case {
    const char* name;
    std::vector<std::uint8_t> coded;
  };
  const std::vector<Case> cases = {
      {"does not decode", {0xFF, 0xFF, 0xFF}},
      {"ends before the colours", Coded(good.substr(0, good.size() - 1))},
      {"ends inside a text", Coded(good.substr(0, 12))},
      {"ends inside the first bytes", Coded(good.substr(0, 3))},
      {"kind byte 0", Coded(Answers(0, 1, 1, WithHeader({"Lune", "Astres"}), 0, {}))},
      {"kind byte 5", Coded(Answers(5, 1, 1, WithHeader({"Lune", "Astres"}), 0, {}))},
      {"97 questions", Coded(Answers(1, 97, 1, WithHeader(std::vector<std::string>(194, "x")), 0, {}))},
      {"an answer of 260 characters", Coded(Answers(1, 1, 1, WithHeader({std::string(260, 'a'), "p"}), 0, {}))},
      {"a title of 260 characters",
       Coded(Answers(1, 0, 1, {std::string(260, 't'), "a", "e", "1", "2"}, 0, {}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded q;
    q.services.records[ANSWERS_RECORD_ID] = c.coded;
    q.SetCodes("c\r\n");
    q.Load();
    EXPECT_EQ(q.MessageTexts(), std::vector<std::string>{"Erreur dans le d\xE9" "cryptage des reponses"});
    EXPECT_EQ(q.state->questionCount, 0);
    EXPECT_EQ(q.state->questionList.head, nullptr);
    EXPECT_EQ(q.state->quizKind, 0);
    EXPECT_STREQ(q.state->title, "Nom du ploxa");
    EXPECT_STREQ(q.state->explanation, "");
    EXPECT_STREQ(q.state->linkText, "www.exemple.fr");
    EXPECT_EQ(q.services.made.size(), 7u) << "the theme brush keeps the construction colour";
    EXPECT_EQ(q.services.recordsAsked, std::vector<int>{ANSWERS_RECORD_ID});
  }
}

TEST(LoadQuiz, NinetySixQuestionsAndLongestTextsLoad) {
  Loaded q;
  std::vector<std::string> entries;
  std::string codes;
  for (int i = 0; i < MAX_QUESTIONS; ++i) {
    entries.push_back(std::string(259, static_cast<char>('a' + i % 26)));
    entries.push_back("Question " + std::to_string(i + 1));
    codes += std::string(259, 'c') + "\r\n";
  }
  q.SetAnswers(Answers(1, MAX_QUESTIONS, 1, WithHeader(entries), 0, {}));
  q.SetCodes(codes);
  q.Load();
  EXPECT_TRUE(q.services.messages.empty());
  EXPECT_EQ(q.state->questionCount, 96);
  EXPECT_STREQ(FindQuestion(q.state.get(), 95)->prompt, "Question 96");
  EXPECT_EQ(std::string(q.state->codes[95]), std::string(259, 'c'));
}

TEST(LoadQuiz, CodesRecordFailuresKeepTheQuestions) {
  struct Case {
    const char* name;
    bool present;
    std::string decoded;
  };
  const std::vector<Case> cases = {
      {"missing", false, ""},
      {"fewer lines than questions", true, "un\r\n"},
      {"a line without CR", true, "un\r\ndeux"},
      {"a line of 260 characters", true, "un\r\n" + std::string(260, 'x') + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded q;
    q.SetAnswers(Answers(1, 2, 1, WithHeader({"Lune", "Astre ?", "Mars", "Plan\xE8te ?"}), 0, {}));
    if (c.present) q.SetCodes(c.decoded);
    q.Load();
    EXPECT_EQ(q.MessageTexts(), std::vector<std::string>{"Erreur dans le d\xE9" "cryptage des codes"});
    EXPECT_EQ(q.state->questionCount, 2);
    EXPECT_STREQ(FindQuestion(q.state.get(), 1)->answer1, "Mars");
    EXPECT_STREQ(q.state->codes[0], "");
    EXPECT_STREQ(q.state->codes[1], "");
  }
}

TEST(LoadQuiz, TheProgramsOwnLinkRecordDecodes) {
  Loaded q;
  LoadQuiz(q.state.get(), q.services);
  EXPECT_EQ(q.MessageTexts(), std::vector<std::string>{"Reponses non trouv\xE9" "es"});
  EXPECT_STRNE(q.state->linkText, "");
  EXPECT_STRNE(q.state->footerText, "");
}

}  // namespace

namespace {

// Records with no bytes at all, as a fuzzer found: refused without touching
// memory (the sanitized suite would catch a stray pointer).
TEST(ParseRecords, EmptyRecordsAreRefused) {
  LinkTexts texts{};
  EXPECT_FALSE(ParseLinkRecord({}, texts));
  RecordingServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);
  EXPECT_FALSE(ParseAnswersRecord({}, state.get(), services));
  state->questionCount = 1;
  EXPECT_FALSE(ParseCodesRecord({}, state.get()));
  state->questionCount = 0;
  EXPECT_TRUE(ParseCodesRecord({}, state.get())) << "no line to read";
  ReleaseQuizState(state.get(), services);
}

}  // namespace
