#include "quiz/quiz_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "quiz/appearance_set.h"
#include "tests/support/recording_services.h"

namespace {

TEST(QuizState, ConstructionSetsTheDefaultsAndMakesTheAppearanceSetInOrder) {
  RecordingServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);

  EXPECT_STREQ(state->title, "Nom du ploxa");
  EXPECT_STREQ(state->author, "Createur ploxa");
  EXPECT_EQ(state->quizKind, 0);
  EXPECT_EQ(state->questionCount, 2);
  EXPECT_EQ(state->answersPerQuestion, 1);
  EXPECT_EQ(state->revealMode, 0);
  EXPECT_EQ(state->allSolved, 0);
  EXPECT_EQ(state->themeColor, ColourOf(51, 102, 255));
  EXPECT_EQ(state->themeRed, 90);
  EXPECT_EQ(state->themeGreen, 95);
  EXPECT_EQ(state->themeBlue, 150);
  EXPECT_STREQ(state->mediaFolder, "");
  EXPECT_STREQ(state->explanation, "");
  EXPECT_EQ(state->questionList.head, nullptr);
  EXPECT_EQ(state->questionList.tail, nullptr);
  for (int n = 1; n <= MAX_QUESTIONS; ++n) EXPECT_EQ(state->questionStates[n], 0);

  // counterFont, titleFont, themeBrush, then the four verdict and question brushes.
  ASSERT_EQ(services.made.size(), 7u);
  EXPECT_EQ(services.made[0].fontHeight, 25);
  EXPECT_EQ(services.made[1].fontHeight, -15);
  const std::uint32_t brushes[] = {ColourOf(90, 95, 150), ColourOf(255, 0, 0), ColourOf(255, 100, 0),
                                   ColourOf(255, 203, 38), ColourOf(255, 255, 192)};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(services.made[2 + i].kind, 'B');
    EXPECT_EQ(services.made[2 + i].colour, brushes[i]);
  }

  CreateAnswerFont(state.get(), services);
  EXPECT_EQ(services.made.back().fontHeight, 15);
  ReleaseQuizState(state.get(), services);
  EXPECT_EQ(services.Live(), 0u);
  // themeBrush, wrong, anagram, hint, question, titleFont, answerFont, counterFont.
  const std::vector<std::uintptr_t> order = {3, 4, 5, 6, 7, 2, 8, 1};
  EXPECT_EQ(services.deleted, order);
}

TEST(QuizState, QuestionListLinksAndLookups) {
  RecordingServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);

  EXPECT_EQ(FindQuestion(state.get(), 0), nullptr);

  AddQuestion(state.get(), "Paris", "", "Capitale ?");
  QuestionNode* first = state->questionList.head;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(state->questionList.tail, first);
  EXPECT_EQ(first->prev, nullptr);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_STREQ(first->revealText, "");
  EXPECT_EQ(first->solved, 0);

  AddQuestion(state.get(), "Lyon", "Rh\xF4ne", "Ville ?");
  QuestionNode* second = state->questionList.tail;
  EXPECT_EQ(first->next, second);
  EXPECT_EQ(second->prev, first);
  EXPECT_EQ(second->next, nullptr);
  EXPECT_STREQ(second->answer2, "Rh\xF4ne");

  EXPECT_EQ(FindQuestion(state.get(), 0), first);
  EXPECT_EQ(FindQuestion(state.get(), 1), second);
  EXPECT_EQ(FindQuestion(state.get(), 2), second);
  EXPECT_EQ(FindQuestion(state.get(), 95), second);

  ReleaseQuizState(state.get(), services);
  EXPECT_EQ(state->questionList.head, nullptr);
  EXPECT_EQ(state->questionList.tail, nullptr);
}

TEST(QuizState, LongTextsAreCutToTheirField) {
  RecordingServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);
  const std::string longText(400, 'x');
  AddQuestion(state.get(), longText.c_str(), "", "");
  EXPECT_EQ(std::strlen(state->questionList.head->answer1), 259u);
  ReleaseQuizState(state.get(), services);
}

}  // namespace
