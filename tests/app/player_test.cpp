// The player started in-process on program files built here, offscreen.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "panels/header_panel.h"
#include "panels/question_panel.h"
#include "tests/app/player_fixture.h"

namespace {

using namespace ploxa::test;

TEST_F(Player, WithoutAQuizShowsTheMessageThenTheFallbackQuiz) {
  StartProgram("/nonexistent/ploxa");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Reponses non trouv\xE9" "es");
  EXPECT_EQ(boxes[0].caption, "Ploxa");
  EXPECT_EQ(boxes[0].type, MB_OK);
  EXPECT_EQ(Text(windows.main), "Nom du ploxa");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 0 / 7");
  EXPECT_NE(Q(4004), nullptr) << "the fallback quiz is a two-answer picture quiz of 2 questions' worth of fields";
  EXPECT_EQ(Text(Q(4001 + VERDICT_OFFSET)), "?");

  RECT outer{};
  GetWindowRect(windows.main, &outer);
  EXPECT_EQ(outer.right - outer.left, 544);
  EXPECT_EQ(outer.bottom - outer.top, 375);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(outer.left, (desktop.right - desktop.left - 544) / 2);
  EXPECT_EQ(outer.top, (desktop.bottom - desktop.top - 375) / 2);
}

TEST_F(Player, ShowsTheQuizOfItsProgramFile) {
  TestQuiz quiz = TextQuiz(3);
  quiz.title = "Capitales d'Europe";
  quiz.red = 10, quiz.green = 200, quiz.blue = 30;
  Start(quiz);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Text(windows.main), "Capitales d'Europe");
  EXPECT_EQ(Text(H(TITLE_LABEL_ID)), "Capitales d'Europe");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 0 / 3");
  EXPECT_EQ(Text(H(AUTHOR_LABEL_ID)), "Auteur");
  EXPECT_EQ(Text(Q(QUESTION_LABEL_ID)), "Ville num\xE9ro 1 ?");
  EXPECT_EQ(H(HIDE_BOX_ID), nullptr) << "only a picture quiz has a Cacher box";
  const QColor background = PixelAt(windows.questions, QPoint(5, 90));
  EXPECT_EQ(background, QColor(10, 200, 30)) << "the question panel has the theme colour";
}

struct SizesCase {
  const char* name;
  TestQuiz quiz;
  std::map<int, std::pair<int, int>> pictures;
  int contentWidth, contentHeight;
  std::vector<std::pair<int, Placement>> controls;
};

TEST_F(Player, ConstructionSizesAndPlaces) {
  const std::map<int, std::pair<int, int>> fourPictures = {
      {401, {260, 200}}, {402, {200, 260}}, {403, {260, 180}}, {404, {200, 150}}};
  const std::vector<SizesCase> cases = {
      {"text, 3 questions", TextQuiz(3), {}, 900, 80,
       {{NUMBER_LABEL_ID, {26, 7, 19, 17}}, {QUESTION_LABEL_ID, {50, 5, 550, 20}},
        {4002, {610, 30, 170, 20}}, {5002, {790, 30, 100, 20}}, {4003, {610, 55, 170, 20}}}},
      {"pictures, 4 questions", CellQuiz(2, 4, 1, 0), fourPictures, 910, 555,
       {{9901, {46, 35, 260, 200}}, {9902, {366, 5, 200, 260}}, {9903, {626, 45, 260, 180}},
        {9904, {76, 335, 200, 150}}, {4001, {46, 275, 260, 20}}, {5001, {46, 294, 260, 20}},
        {2004, {18, 497, 27, 17}}, {4004, {46, 495, 260, 20}}}},
      {"video, 3 questions, reveal texts", CellQuiz(4, 3, 1, 2), {}, 910, 355,
       {{9901, {46, 5, 260, 200}}, {4001, {66, 215, 240, 20}}, {5001, {66, 234, 240, 20}},
        {8001, {46, 261, 260, 65}}, {6001, {46, 215, 20, 20}}, {7001, {46, 235, 20, 19}}}},
      {"sound, 6 questions", CellQuiz(3, 6, 1, 0), {}, 910, 125,
       {{9901, {46, 5, 0, 0}}, {4001, {66, 5, 240, 20}}, {4004, {66, 65, 240, 20}}, {6005, {336, 65, 20, 20}}}},
      {"pictures with two answers", CellQuiz(2, 4, 2, 0), fourPictures, 970, 555,
       {{ANSWER_LABEL_ID, {4, 277, 95, 20}}, {4001, {106, 275, 201, 20}}, {5001, {306, 275, 60, 20}},
        {4002, {106, 294, 201, 20}}, {5002, {306, 294, 60, 20}}, {4008, {106, 514, 201, 20}}}},
  };
  for (const SizesCase& c : cases) {
    SCOPED_TRACE(c.name);
    Pictures(c.pictures);
    Start(c.quiz);
    EXPECT_EQ(Quiz()->contentWidth, c.contentWidth);
    EXPECT_EQ(Quiz()->contentHeight, c.contentHeight);
    for (const auto& [id, placement] : c.controls) {
      ASSERT_NE(Q(id), nullptr) << "control " << id;
      EXPECT_EQ(At(Q(id)), placement) << "control " << id;
    }
    Close();
  }
}

TEST_F(Player, RevealLabelsAndEmptyQuiz) {
  Start(CellQuiz(2, 3, 1, 2));
  EXPECT_FALSE(IsWindowVisible(Q(8001)));
  EXPECT_EQ(Text(Q(8001)), "Bravo Paris");
  Close();
  Start(CellQuiz(2, 3, 1, 1));
  EXPECT_EQ(Q(8001), nullptr) << "reveal modes 0 and 1 have no reveal label";
  Close();
  Start(TextQuiz(0));
  EXPECT_EQ(Quiz()->contentWidth, 20);
  EXPECT_EQ(Quiz()->contentHeight, 0);
  EXPECT_EQ(Q(4001), nullptr);
}

TEST_F(Player, HeaderPanelLayoutFollowsItsWidth) {
  Start(CellQuiz(2, 3, 1, 0));
  for (int width : {544, 1000}) {
    SCOPED_TRACE(width);
    SetWindowPos(windows.main, nullptr, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(windows.questions);
    RECT client{};
    GetClientRect(windows.header, &client);
    const int w = client.right;
    RECT mainClient{};
    GetClientRect(windows.main, &mainClient);
    EXPECT_EQ(At(windows.header), (Placement{5, 2, mainClient.right - 11, 49}));
    EXPECT_EQ(At(windows.questions), (Placement{5, 50, mainClient.right - 11, mainClient.bottom - 68}));
    EXPECT_EQ(At(H(TITLE_LABEL_ID)), (Placement{110, 3, w - 350, 18}));
    EXPECT_EQ(At(H(LINK_LABEL_ID)), (Placement{w - 134, 0, 115, 18}));
    EXPECT_EQ(At(H(BY_LABEL_ID)), (Placement{w - 134, 25, 26, 18}));
    EXPECT_EQ(At(H(AUTHOR_LABEL_ID)), (Placement{w - 107, 25, 105, 18}));
    EXPECT_EQ(At(H(SAVE_BUTTON_ID)), (Placement{w - 204, 25, 55, 18}));
    EXPECT_EQ(At(H(EXPLANATION_LABEL_ID)), (Placement{110, 19, w - 324, 28}));
    EXPECT_EQ(At(H(RIGHT_RULE_ID)), (Placement{w - 145, 0, 1, 50}));
    EXPECT_EQ(At(H(HIDE_BOX_ID)), (Placement{w - 234, 0, 85, 18}));
    EXPECT_EQ(At(H(COUNTER_LABEL_ID)), (Placement{10, 1, 80, 20}));
    EXPECT_EQ(At(H(CODE_FIELD_ID)), (Placement{44, 29, 53, 16}));
    EXPECT_EQ(At(GetDlgItem(windows.main, FOOTER_LABEL_ID)),
              (Placement{mainClient.right - 145, mainClient.bottom - 16, 150, 15}));
  }
}

TEST_F(Player, CacherBoxOfATwoAnswerQuizStaysPut) {
  Start(CellQuiz(2, 3, 2, 0));
  EXPECT_EQ(At(H(HIDE_BOX_ID)), (Placement{666, 5, 65, 18}));
}

TEST_F(Player, MinimiseLeavesThePanelsAndRestoreLaysOut) {
  Start(TextQuiz(3));
  const Placement before = At(windows.questions);
  ShowWindow(windows.main, SW_MINIMIZE);
  PumpMessages(windows.questions);
  EXPECT_EQ(At(windows.questions), before);
  ShowWindow(windows.main, SW_RESTORE);
  PumpMessages(windows.questions);
  EXPECT_EQ(At(windows.questions), before);
}

TEST_F(Player, Colours) {
  TestQuiz quiz = TextQuiz(5);
  quiz.red = 51, quiz.green = 102, quiz.blue = 255;
  Start(quiz);
  Answer(4001, "paris");      // BRAVO
  Answer(4002, "Lyno");       // Anagramme
  Answer(4003, "Marseill");   // Quasiment
  Answer(4004, "Bordeaux");   // FAUX
  PumpMessages(windows.questions);
  struct Case {
    const char* name;
    HWND window;
    QPoint point;
    QColor colour;
  };
  const std::vector<Case> cases = {
      {"header", windows.header, QPoint(104, 45), QColor(128, 128, 255)},
      {"theme", windows.questions, QPoint(5, 140), QColor(51, 102, 255)},
      {"question label", Q(QUESTION_LABEL_ID), QPoint(3, 3), QColor(255, 255, 192)},
      {"right", Q(5001), QPoint(3, 3), QColor(0, 255, 0)},
      {"anagram", Q(5002), QPoint(3, 3), QColor(255, 100, 0)},
      {"hint", Q(5003), QPoint(3, 3), QColor(255, 203, 38)},
      {"wrong", Q(5004), QPoint(3, 3), QColor(255, 0, 0)},
      {"nothing typed: system colours", Q(5005), QPoint(3, 3), QColor(212, 208, 200)},
      {"footer", GetDlgItem(windows.main, FOOTER_LABEL_ID), QPoint(1, 1), QColor(212, 208, 200)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PixelAt(c.window, c.point), c.colour);
  }
}

TEST_F(Player, VerdictsRewardsCounterAndCode) {
  Start(TextQuiz(3, 2));
  Answer(4003, "marseille");
  EXPECT_EQ(Text(Q(5003)), "BRAVO");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 1 / 3");
  EXPECT_EQ(Text(H(CODE_FIELD_ID)), "code 1");
  EXPECT_EQ(FindQuestion(Quiz(), 2)->solved, 1);
  Answer(4003, "Toulon");
  EXPECT_EQ(Text(Q(5003)), "FAUX");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 0 / 3");
  EXPECT_EQ(Text(H(CODE_FIELD_ID)), "      ");
  EXPECT_EQ(FindQuestion(Quiz(), 2)->solved, 1) << "solved is never undone";
  Answer(4001, "Paris");
  Answer(4002, "Lyon");
  Answer(4003, "Marseille");
  EXPECT_EQ(Text(H(CODE_FIELD_ID)), "code 3");
}

TEST_F(Player, RevealModes) {
  struct Case {
    const char* name;
    int revealMode;
    bool revealLabelShown;
    bool revealPicture;
  };
  const std::vector<Case> cases = {
      {"mode 1: picture", 1, false, true},
      {"mode 2: text", 2, true, false},
      {"mode 3: text and picture", 3, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pictures({{401, {100, 50}}, {10401, {200, 100}}});
    Start(CellQuiz(2, 3, 1, c.revealMode));
    Answer(4001, "  PARIS ");  // blanks around are forgiven, and the reward is earned
    EXPECT_EQ(Text(Q(5001)), "BRAVO");
    if (c.revealMode >= 2) {
      EXPECT_EQ(IsWindowVisible(Q(8001)) != 0, c.revealLabelShown);
    }
    const auto shown = reinterpret_cast<HBITMAP>(SendMessageA(Q(9901), STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(PictureSize(shown).width, c.revealPicture ? 200 : 100) << "the reveal picture is 200 wide";
    Close();
  }
}

TEST_F(Player, AllRevealsAtOnceInMode4WithTwoAnswers) {
  Start(CellQuiz(2, 2, 2, 4));
  Answer(4001, "Paris");
  Answer(4002, "France");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 1 / 2");
  EXPECT_FALSE(IsWindowVisible(Q(8001)));
  Answer(4003, "Lyon");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 1 / 2") << "a question counts when both answers are right";
  Answer(4004, "France");
  EXPECT_TRUE(IsWindowVisible(Q(8001)));
  EXPECT_TRUE(IsWindowVisible(Q(8002)));
  EXPECT_EQ(Quiz()->allSolved, 1);
  Answer(4004, "Belgique");
  EXPECT_TRUE(IsWindowVisible(Q(8001)));
  EXPECT_FALSE(IsWindowVisible(Q(8002)));
  EXPECT_EQ(Quiz()->allSolved, 0);
}

TEST_F(Player, Scrolling) {
  Start(TextQuiz(40));
  auto position = [&] { return GetScrollPos(windows.questions, SB_VERT); };
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(windows.questions, SB_VERT, &info);
  RECT client{};
  GetClientRect(windows.questions, &client);
  EXPECT_EQ(info.nMax, Quiz()->contentHeight - 2);
  EXPECT_EQ(static_cast<int>(info.nPage), client.bottom - 1);
  const int largest = Quiz()->contentHeight - client.bottom;

  SendMessageA(windows.questions, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(position(), 310);
  EXPECT_EQ(At(Q(4001)).y, 5 - 310) << "the controls move with the content";
  SendMessageA(windows.questions, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(position(), largest);
  SendMessageA(windows.questions, WM_VSCROLL, SCROLL_STEP_DOWN, 0);
  EXPECT_EQ(position(), largest);
  SendMessageA(windows.questions, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(position(), 0);
  EXPECT_EQ(At(Q(4001)).y, 5);
  SendMessageA(windows.questions, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(position(), client.bottom - 1);

  struct Wheel {
    int delta;
    int change;
  };
  for (const Wheel& w : {Wheel{-120, 100}, Wheel{120, -100}, Wheel{240, 0}, Wheel{60, 0}, Wheel{-60, 0}}) {
    SCOPED_TRACE(w.delta);
    const int before = position();
    SendMessageA(windows.questions, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(w.delta)) << 16, 0);
    PumpMessages(windows.questions);
    EXPECT_EQ(position(), before + w.change);
  }

  SendMessageA(windows.questions, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(GetScrollPos(windows.questions, SB_HORZ), 1);
}

TEST_F(Player, ContentSmallerThanThePanelDoesNotScroll) {
  Start(TextQuiz(2));
  SendMessageA(windows.questions, WM_VSCROLL, SB_BOTTOM, 0);
  SendMessageA(windows.questions, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(GetScrollPos(windows.questions, SB_VERT), 0);
  EXPECT_EQ(At(Q(4001)).y, 5);
}

TEST_F(Player, NumberLabelColourFollowsTheTheme) {
  struct Case {
    std::uint8_t red, green;
    QColor text;
  };
  for (const Case& c : {Case{70, 0, QColor(0, 0, 0)}, Case{69, 69, QColor(255, 255, 255)}}) {
    TestQuiz quiz = CellQuiz(2, 1, 1, 0);
    quiz.red = c.red;
    quiz.green = c.green;
    quiz.blue = 255;
    Start(quiz);
    const QImage label = ploxa::test::GrabClient(Q(2001));
    bool found = false;
    for (int y = 0; y < label.height() && !found; ++y) {
      for (int x = 0; x < label.width() && !found; ++x) found = QColor(label.pixel(x, y)) == c.text;
    }
    EXPECT_TRUE(found) << "number label text in " << c.text.name().toStdString();
    Close();
  }
}

TEST(HeaderPanelLink, OpensOnlyWebAndMailAddresses) {
  const std::pair<const char*, bool> cases[] = {
      {"https://example.org/quiz", true}, {"http://example.org", true}, {"www.example.org", true},
      {"mailto:auteur@example.org", true}, {"HTTPS://EXAMPLE.ORG", true}, {"/usr/bin/xterm", false},
      {"file:///etc/passwd", false},       {"javascript:alert(1)", false}, {"www.", false},
      {"http://a b", false},               {"", false},
  };
  for (const auto& [link, openable] : cases) EXPECT_EQ(IsOpenableLink(link), openable) << link;
}

}  // namespace
