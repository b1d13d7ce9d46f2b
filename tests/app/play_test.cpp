// Playing a quiz offscreen with real key events: answer fields, the folding of
// solved questions, and the progress file read at start and written on close.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "panels/question_panel.h"
#include "tests/app/player_fixture.h"

namespace {

using namespace ploxa::test;

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class Play : public Player {
 protected:
  // The progress file of a program called quiz.exe.
  std::string ProgressPath() const { return Folder() + "/quiz.txt"; }

  // Starts the player in a window wide enough for every field and the Cacher box
  // to take clicks.
  void Open(const TestQuiz& quiz, const std::string& name = "quiz.exe") {
    Start(quiz, name);
    SetWindowPos(windows.main, nullptr, 0, 0, 1000, 500, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(windows.questions);
  }

  int ScrollPosition() const { return GetScrollPos(windows.questions, SB_VERT); }

  // A click in the field, as a player puts the caret there.
  void Focus(int field) {
    ClickAt(Q(field), QPoint(3, 3));
    PumpMessages(windows.questions);
  }

  void Press(int field, Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Key(Q(field), QTest::Press, key, text, mods);
    PumpMessages(windows.questions);
  }
  void Release(int field, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Key(Q(field), QTest::Release, key, {}, mods);
    PumpMessages(windows.questions);
  }
  void Stroke(int field, Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Press(field, key, text, mods);
    Release(field, key, mods);
  }

  // Types into the focused field and presses Enter.
  void TypeAnswer(int field, const QString& text) {
    Focus(field);
    TypeText(Q(field), text, windows.questions);
    Stroke(field, Qt::Key_Return, "\r");
  }

  // Where the field stands within the panel's client area.
  bool InView(int field) const {
    RECT client{};
    GetClientRect(windows.questions, &client);
    const Placement p = At(Q(field));
    return p.y >= 0 && p.y + p.height <= client.bottom;
  }
};

// ---- Answer fields -------------------------------------------------------------

TEST_F(Play, EnterJudgesOnReleaseAndInsertsNothing) {
  Open(TextQuiz(3));
  Focus(4001);
  TypeText(Q(4001), "paris", windows.questions);
  Press(4001, Qt::Key_Return, "\r");
  EXPECT_EQ(Text(Q(5001)), "?") << "a plain Enter judges on its release";
  Release(4001, Qt::Key_Return);
  EXPECT_EQ(Text(Q(5001)), "BRAVO");
  EXPECT_EQ(Text(Q(4001)), "paris");
  EXPECT_EQ(GetFocus(), Q(4001));

  for (WPARAM c : {WPARAM{'\r'}, WPARAM{'\t'}, WPARAM{0}}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(SendMessageA(Q(4001), WM_CHAR, c, 0), 0);
    EXPECT_EQ(Text(Q(4001)), "paris") << "Tab, Enter and NUL characters are consumed";
  }
}

TEST_F(Play, AltEnterJudgesOnPress) {
  Open(TextQuiz(3));
  Focus(4002);
  TypeText(Q(4002), "Lyno", windows.questions);
  Press(4002, Qt::Key_Alt, {}, Qt::AltModifier);
  Press(4002, Qt::Key_Return, "\r", Qt::AltModifier);
  EXPECT_EQ(Text(Q(5002)), "Anagramme") << "judged while Enter is still down";
  Release(4002, Qt::Key_Return, Qt::AltModifier);
  Release(4002, Qt::Key_Alt);
  EXPECT_EQ(Text(Q(4002)), "Lyno");
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 0 / 3");
}

TEST_F(Play, LeavingAFieldJudgesItAndFocusSelectsTheText) {
  Open(TextQuiz(3));
  Focus(4001);
  TypeText(Q(4001), "Bordeaux", windows.questions);
  EXPECT_EQ(Text(Q(5001)), "?");
  Focus(4002);
  EXPECT_EQ(Text(Q(5001)), "FAUX") << "clicking another field judges the one left";
  SetFocus(Q(4001));
  PumpMessages(windows.questions);
  DWORD start = 0, end = 0;
  SendMessageA(Q(4001), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 8u) << "the whole text is selected when the field gets the focus";
  TypeText(Q(4001), "Paris", windows.questions);
  EXPECT_EQ(Text(Q(4001)), "Paris") << "typing replaces the selection";
}

TEST_F(Play, TabScrollsOnlyToAFieldOutOfView) {
  Open(TextQuiz(40));
  // The last field wholly in view, then the next one just below the panel.
  int last = 4001;
  while (InView(last + 1)) ++last;
  ASSERT_GT(last, 4003);
  ASSERT_LT(last, 4030);

  struct Step {
    const char* name;
    Qt::KeyboardModifiers mods;
    int from, to;
    bool scrolls;
  };
  const std::vector<Step> steps = {
      {"onto a visible field", Qt::NoModifier, 4001, 4002, false},
      {"onto the field below the view", Qt::NoModifier, last, last + 1, true},
      {"Shift+Tab back onto a visible field", Qt::ShiftModifier, last + 1, last, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    SetFocus(Q(s.from));
    PumpMessages(windows.questions);
    const int before = ScrollPosition();
    if (s.mods & Qt::ShiftModifier) Press(s.from, Qt::Key_Shift, {}, s.mods);
    Stroke(s.from, s.mods & Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab, "\t", s.mods);
    if (s.mods & Qt::ShiftModifier) Release(s.to, Qt::Key_Shift);
    EXPECT_EQ(GetFocus(), Q(s.to));
    EXPECT_TRUE(InView(s.to)) << "field " << s.to << " at " << At(Q(s.to));
    if (s.scrolls) {
      EXPECT_GT(ScrollPosition(), before);
    } else {
      EXPECT_EQ(ScrollPosition(), before);
    }
    EXPECT_EQ(Text(Q(s.to)).find('\t'), std::string::npos);
  }

  // From the bottom of the quiz back to the top with Shift+Tab.
  SendMessageA(windows.questions, WM_VSCROLL, SB_BOTTOM, 0);
  SetFocus(Q(4002));
  PumpMessages(windows.questions);
  ASSERT_FALSE(InView(4001));
  Press(4002, Qt::Key_Shift, {}, Qt::ShiftModifier);
  Stroke(4002, Qt::Key_Backtab, "\t", Qt::ShiftModifier);
  Release(4001, Qt::Key_Shift);
  EXPECT_EQ(GetFocus(), Q(4001));
  EXPECT_TRUE(InView(4001)) << At(Q(4001));
}

TEST_F(Play, TabFollowsTheFieldWhereverTheWindowStands) {
  Open(TextQuiz(40));
  for (const POINT where : {POINT{0, 0}, POINT{700, 500}}) {
    SCOPED_TRACE(where.x);
    SetWindowPos(windows.main, nullptr, where.x, where.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(windows.questions, WM_VSCROLL, SB_TOP, 0);
    SetFocus(Q(4019));
    PumpMessages(windows.questions);
    Stroke(4019, Qt::Key_Tab, "\t");
    EXPECT_EQ(GetFocus(), Q(4020));
    EXPECT_TRUE(InView(4020)) << At(Q(4020));
  }
}

TEST_F(Play, F1CopiesTheAnswerIntoEveryFieldNotYetRight) {
  TestQuiz quiz = TextQuiz(5);
  Open(quiz);
  const std::vector<std::pair<int, QString>> typed = {
      {4001, "PARIS"}, {4002, "Lille"}, {4003, "Marseille"}, {4004, "Toulouse"}};
  for (const auto& [field, text] : typed) TypeAnswer(field, text);
  ASSERT_EQ(Text(H(COUNTER_LABEL_ID)), " 3 / 5");
  Focus(4001);
  Stroke(4001, Qt::Key_F1);

  const std::vector<std::pair<int, std::string>> texts = {
      {4001, "PARIS"}, {4002, "PARIS"}, {4003, "Marseille"}, {4004, "Toulouse"}, {4005, "PARIS"}};
  for (const auto& [field, text] : texts) EXPECT_EQ(Text(Q(field)), text) << field;
  EXPECT_EQ(Text(Q(5002)), "FAUX") << "the fields that got the text are judged";
  EXPECT_EQ(Text(Q(5005)), "FAUX");
  EXPECT_EQ(Text(Q(5001)), "BRAVO");
  EXPECT_EQ(GetFocus(), Q(4001));
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 3 / 5");
}

TEST_F(Play, F2SavesTheTextsAsTheyStand) {
  Open(TextQuiz(3));
  TypeAnswer(4001, "Paris");
  Focus(4002);
  TypeText(Q(4002), "Ly", windows.questions);
  Stroke(4002, Qt::Key_F2);
  EXPECT_EQ(ReadBytes(ProgressPath()), "Paris\r\nLy\r\n\r\n");
  EXPECT_EQ(Text(Q(5002)), "?") << "F2 judges nothing";
  EXPECT_EQ(GetFocus(), Q(4002));
  TypeText(Q(4002), "on", windows.questions);
  EXPECT_EQ(Text(Q(4002)), "Lyon") << "typing goes on after the save";
}

TEST_F(Play, ArrowAndPageKeysScrollAPage) {
  Open(TextQuiz(90));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(windows.questions, SB_VERT, &info);
  const int page = static_cast<int>(info.nPage);
  ASSERT_GT(page, 100);
  Focus(4001);
  const std::vector<std::pair<Qt::Key, int>> keys = {
      {Qt::Key_Down, page}, {Qt::Key_PageDown, 2 * page}, {Qt::Key_Up, page}, {Qt::Key_PageUp, 0}};
  for (const auto& [key, position] : keys) {
    SCOPED_TRACE(key);
    Stroke(4001, key);
    EXPECT_EQ(ScrollPosition(), position);
  }
  EXPECT_EQ(GetFocus(), Q(4001));
}

// ---- Folding --------------------------------------------------------------------

struct Shown {
  Placement at;
  bool visible;
};

class Fold : public Play {
 protected:
  void TickCacher() {
    ClickAt(H(HIDE_BOX_ID), QPoint(4, 8));
    PumpMessages(windows.questions);
  }

  // Every control that folding may move or hide, by a name that says what it is.
  std::map<std::string, HWND> Controls(int n) const {
    std::map<std::string, HWND> controls;
    const int answers = Quiz()->answersPerQuestion == 2 ? 2 : 1;
    for (int q = 1; q <= n; ++q) {
      const std::string s = std::to_string(q);
      controls["cell " + s] = Q(PICTURE_CELL_ID + q);
      controls["number " + s] = Q(NUMBER_LABEL_ID + q);
      if (Q(REVEAL_LABEL_ID + q) != nullptr) controls["reveal " + s] = Q(REVEAL_LABEL_ID + q);
      for (int k = 1; k <= answers; ++k) {
        const int field = FIRST_ANSWER_FIELD_ID + answers * (q - 1) + k;
        controls["field " + std::to_string(field)] = Q(field);
        controls["verdict " + std::to_string(field + VERDICT_OFFSET)] = Q(field + VERDICT_OFFSET);
      }
    }
    const auto& rows = PanelValues().answerLabels;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t k = 0; k < rows[r].size(); ++k) {
        controls["answer label " + std::to_string(r + 1) + "." + std::to_string(k + 1)] = rows[r][k];
      }
    }
    return controls;
  }

  std::map<std::string, Shown> Snapshot(int n) const {
    std::map<std::string, Shown> shot;
    for (const auto& [name, hwnd] : Controls(n)) shot[name] = {At(hwnd), IsWindowVisible(hwnd) != 0};
    return shot;
  }

  // Every control stands where `before` had it, moved by the distance that
  // `moved` gives for its name, shown when `shown` says so (given whether it was).
  void ExpectMoved(const char* step, const std::map<std::string, Shown>& before, const std::map<std::string, Shown>& now,
                   const std::function<int(const std::string&)>& moved,
                   const std::function<bool(const std::string&, bool)>& shown) {
    ASSERT_EQ(before.size(), now.size());
    for (const auto& [name, was] : before) {
      const Shown& is = now.at(name);
      Placement expected = was.at;
      expected.y += moved(name);
      EXPECT_EQ(is.at, expected) << name << " " << step;
      EXPECT_EQ(is.visible, shown(name, was.visible)) << name << " " << step;
    }
  }
};

bool OfQuestions(const std::string& name, std::initializer_list<int> questions, int answers) {
  const std::size_t blank = name.rfind(' ');
  const int number = std::stoi(name.substr(blank + 1));
  for (int q : questions) {
    if (name.rfind("cell ", 0) == 0 || name.rfind("number ", 0) == 0 || name.rfind("reveal ", 0) == 0) {
      if (number == q) return true;
    } else if (name.rfind("field ", 0) == 0 || name.rfind("verdict ", 0) == 0) {
      const int field = name.rfind("verdict ", 0) == 0 ? number - VERDICT_OFFSET : number;
      if ((field - FIRST_ANSWER_FIELD_ID - 1) / answers + 1 == q) return true;
    } else if (name.rfind("answer label ", 0) == 0) {
      // Row r's labels stand beside its first question.
      const int row = std::stoi(name.substr(std::string("answer label ").size()));
      if (3 * (row - 1) + 1 == q) return true;
    }
  }
  return false;
}

struct FoldCase {
  const char* name;
  int answers;
  int revealMode;
  int collapse;  // how far the rows below move when the first row collapses
};

TEST_F(Fold, FoldingThenUnfoldingRestoresEveryControl) {
  const std::vector<FoldCase> cases = {
      {"one answer, no reveal", 1, 0, 200},
      {"two answers, reveal texts", 2, 2, 265},
  };
  for (const FoldCase& c : cases) {
    SCOPED_TRACE(c.name);
    Pictures({{401, {260, 200}}, {402, {200, 150}}, {403, {100, 100}},
              {404, {260, 120}}, {405, {120, 120}}, {406, {260, 90}}});
    Open(CellQuiz(2, 6, c.answers, c.revealMode));
    ASSERT_EQ(Quiz()->rowHeights[0], 200);
    auto answer = [&](int q) {
      const int first = FIRST_ANSWER_FIELD_ID + c.answers * (q - 1) + 1;
      Answer(first, FindQuestion(Quiz(), q - 1)->answer1);
      if (c.answers == 2) Answer(first + 1, "France");
    };
    const auto start = Snapshot(6);
    const int height = Quiz()->contentHeight;
    answer(1);
    answer(2);
    const auto solved = Snapshot(6);
    const bool texts = c.revealMode == 2;
    ExpectMoved("answered", start, solved, [](const std::string&) { return 0; },
                [&](const std::string& name, bool was) {
                  return was || (texts && (name == "reveal 1" || name == "reveal 2"));
                });

    TickCacher();
    ASSERT_EQ(SendMessageA(H(HIDE_BOX_ID), BM_GETCHECK, 0, 0), BST_CHECKED);
    ExpectMoved(
        "two folded", solved, Snapshot(6),
        [&](const std::string& name) {
          // The row's answer labels stay while its third question is still there.
          const bool shifted = OfQuestions(name, {1, 2}, c.answers) && name.rfind("cell", 0) != 0 &&
                               name.rfind("reveal", 0) != 0 && name.rfind("answer label", 0) != 0;
          return shifted ? -200 : 0;
        },
        [&](const std::string& name, bool was) {
          return was && name != "cell 1" && name != "cell 2" && name != "reveal 1" && name != "reveal 2";
        });
    EXPECT_EQ(Quiz()->contentHeight, height);

    answer(3);
    ExpectMoved(
        "row collapsed", solved, Snapshot(6),
        [&](const std::string& name) {
          const bool cellOrReveal = name.rfind("cell", 0) == 0 || name.rfind("reveal", 0) == 0;
          if (OfQuestions(name, {1, 2, 3}, c.answers)) {
            // The collapsed row's answer labels stay beside its fields.
            return cellOrReveal ? 0 : -200;
          }
          return -c.collapse;
        },
        [&](const std::string& name, bool was) {
          const bool cellOrReveal = name.rfind("cell", 0) == 0 || name.rfind("reveal", 0) == 0;
          return was && !(cellOrReveal && OfQuestions(name, {1, 2, 3}, c.answers));
        });
    EXPECT_EQ(Quiz()->contentHeight, height - c.collapse);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(windows.questions, SB_VERT, &info);
    EXPECT_EQ(info.nMax, height - c.collapse - 2) << "the scroll range follows the content";

    TickCacher();
    ASSERT_EQ(SendMessageA(H(HIDE_BOX_ID), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    const auto unfolded = Snapshot(6);
    ExpectMoved("unfolded", solved, unfolded, [](const std::string&) { return 0; },
                [&](const std::string& name, bool was) { return was || (texts && name == "reveal 3"); });
    EXPECT_EQ(Quiz()->contentHeight, height);
    Close();
  }
}

TEST_F(Fold, ALastRowOfFewerThanThreeNeverCollapses) {
  Pictures({{401, {260, 200}}, {404, {260, 100}}});
  Open(CellQuiz(2, 5, 1, 0));
  TickCacher();
  const int height = Quiz()->contentHeight;
  Answer(4004, "Toulouse");
  Answer(4005, "Nice");
  EXPECT_EQ(Quiz()->contentHeight, height);
  EXPECT_EQ(Quiz()->questionStates[4], 1);
  EXPECT_EQ(Quiz()->questionStates[5], 1);
  EXPECT_FALSE(IsWindowVisible(Q(9904)));
  TickCacher();
  EXPECT_TRUE(IsWindowVisible(Q(9904)));
  EXPECT_EQ(Quiz()->questionStates[4], 0);
}

TEST_F(Fold, RevealLabelsStayHiddenWhileFoldedAndComeBackOnlyWhenEarned) {
  Pictures({{401, {260, 200}}});
  Open(CellQuiz(2, 3, 1, 2));
  TickCacher();
  Answer(4001, "Paris");
  EXPECT_EQ(Text(Q(5001)), "BRAVO");
  EXPECT_FALSE(IsWindowVisible(Q(8001))) << "folded at once, its reveal label too";
  Answer(4001, "Pari");
  Answer(4001, "Paris");
  EXPECT_FALSE(IsWindowVisible(Q(8001))) << "solving again while folded shows nothing";

  Answer(4002, "Lyon");
  Answer(4002, "Lyonnais");  // solved stays set: question 2 stays folded without its reward
  EXPECT_EQ(Quiz()->questionStates[2], 1);
  EXPECT_FALSE(IsWindowVisible(Q(8002)));

  TickCacher();
  EXPECT_TRUE(IsWindowVisible(Q(8001))) << "question 1 is complete";
  EXPECT_FALSE(IsWindowVisible(Q(8002))) << "question 2 is not";
  EXPECT_FALSE(IsWindowVisible(Q(8003))) << "question 3 was never folded";
}

TEST_F(Fold, InMode4UnfoldingShowsRewardsOnlyOnceEveryAnswerIsRight) {
  Pictures({{401, {260, 200}}});
  Open(CellQuiz(2, 2, 1, 4));
  TickCacher();
  Answer(4001, "Paris");
  TickCacher();
  EXPECT_TRUE(IsWindowVisible(Q(9901)));
  EXPECT_FALSE(IsWindowVisible(Q(8001))) << "question 2 is not right yet";

  TickCacher();
  Answer(4002, "Lyon");
  EXPECT_EQ(Quiz()->allSolved, 1);
  EXPECT_FALSE(IsWindowVisible(Q(8001)));
  EXPECT_FALSE(IsWindowVisible(Q(8002)));
  TickCacher();
  EXPECT_TRUE(IsWindowVisible(Q(8001)));
  EXPECT_TRUE(IsWindowVisible(Q(8002)));
}

// ---- Progress file --------------------------------------------------------------

TEST_F(Play, RestoredRightAnswersShowVerdictsRewardsCounterAndCode) {
  Pictures({{401, {100, 100}}, {10403, {120, 80}}});
  WriteBytes(ProgressPath(), "Paris\r\nLyo\r\n  MARSEILLE\r\n");
  Open(CellQuiz(2, 3, 1, 3));
  EXPECT_EQ(Text(Q(4001)), "Paris");
  EXPECT_EQ(Text(Q(5001)), "BRAVO");
  EXPECT_EQ(Text(Q(5002)), "Quasiment");
  EXPECT_EQ(Text(Q(5003)), "BRAVO");
  EXPECT_TRUE(IsWindowVisible(Q(8001)));
  EXPECT_FALSE(IsWindowVisible(Q(8002)));
  EXPECT_TRUE(IsWindowVisible(Q(8003))) << "blanks around are forgiven, the reward too";
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 2 / 3");
  EXPECT_EQ(Text(H(CODE_FIELD_ID)), "code 2");
  EXPECT_EQ(PixelAt(Q(5001), QPoint(3, 3)), QColor(0, 255, 0));
  EXPECT_EQ(PixelAt(Q(5002), QPoint(3, 3)), QColor(255, 203, 38));
}

TEST_F(Play, AnswersTypedComeBackAfterARestart) {
  Open(TextQuiz(3));
  TypeAnswer(4001, "Paris");
  TypeAnswer(4002, "Lyno");
  Focus(4003);
  TypeText(Q(4003), "Nancy", windows.questions);
  Close();
  EXPECT_EQ(ReadBytes(ProgressPath()), "Paris\r\nLyno\r\nNancy\r\n");
  Open(TextQuiz(3));
  const std::vector<std::pair<int, std::string>> verdicts = {
      {5001, "BRAVO"}, {5002, "Anagramme"}, {5003, "FAUX"}};
  for (const auto& [label, verdict] : verdicts) EXPECT_EQ(Text(Q(label)), verdict) << label;
  EXPECT_EQ(Text(H(COUNTER_LABEL_ID)), " 1 / 3");
  EXPECT_EQ(Text(H(CODE_FIELD_ID)), "code 1");
}

struct FormatCase {
  const char* name;
  TestQuiz quiz;
  std::optional<std::string> before;  // no file when empty
  std::vector<std::string> fields;    // the texts at start, from field 4001 on
  std::string after;                  // the file once the window is closed
};

TEST_F(Play, ProgressFileFormat) {
  const std::string long200(200, 'L');
  const std::string long300 = std::string(250, 'a') + std::string(50, 'b');
  const std::vector<FormatCase> cases = {
      {"missing file", TextQuiz(3), std::nullopt, {"", "", ""}, "\r\n\r\n\r\n"},
      {"empty file", TextQuiz(3), "", {"", "", ""}, "\r\n\r\n\r\n"},
      {"the player's own file", TextQuiz(3), "Paris\r\n\r\nMarseille\r\n", {"Paris", "", "Marseille"},
       "Paris\r\n\r\nMarseille\r\n"},
      {"two answers: lines 3 and 4 are question 2's", CellQuiz(2, 2, 2, 0), "Paris\r\nFrance\r\nLyon\r\nBelgique\r\n",
       {"Paris", "France", "Lyon", "Belgique"}, "Paris\r\nFrance\r\nLyon\r\nBelgique\r\n"},
      {"lines ended by LF alone", TextQuiz(3), "Paris\nLyon\nMarseille\n", {"Paris", "Lyon", "Marseille"},
       "Paris\r\nLyon\r\nMarseille\r\n"},
      {"mixed endings, last line unended", TextQuiz(3), "Paris\nLyon\r\nMarseille", {"Paris", "Lyon", "Marseille"},
       "Paris\r\nLyon\r\nMarseille\r\n"},
      {"bytes between CR and LF are skipped", TextQuiz(2), "Paris\rxyz\nLyon\r\n", {"Paris", "Lyon"},
       "Paris\r\nLyon\r\n"},
      {"fewer lines than fields", TextQuiz(3), "Paris\r\n", {"Paris", "", ""}, "Paris\r\n\r\n\r\n"},
      {"more lines than fields", TextQuiz(2), "a\r\nb\r\nc\r\nd\r\n", {"a", "b"}, "a\r\nb\r\n"},
      {"a line past the typing limit is shown whole", CellQuiz(2, 2, 1, 0), long200 + "\r\nLyon\r\n",
       {long200, "Lyon"}, long200 + "\r\nLyon\r\n"},
      {"a line past 259 bytes is cut there", TextQuiz(2), long300 + "\r\nLyon\r\n", {long300.substr(0, 259), "Lyon"},
       long300.substr(0, 259) + "\r\nLyon\r\n"},
      {"a zero byte ends a line", TextQuiz(2), std::string("Pa\0ris\r\nLyon\r\n", 13), {"Pa", "Lyon"},
       "Pa\r\nLyon\r\n"},
      {"code page 1252 bytes", TextQuiz(2), "Orl\xE9" "ans\r\n\xC9vry\r\n", {"Orl\xE9" "ans", "\xC9vry"},
       "Orl\xE9" "ans\r\n\xC9vry\r\n"},
      {"no questions: an empty file", TextQuiz(0), "x\r\n", {}, ""},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(ProgressPath().c_str());
    if (c.before) WriteBytes(ProgressPath(), *c.before);
    Open(c.quiz);
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      EXPECT_EQ(Text(Q(FIRST_ANSWER_FIELD_ID + 1 + static_cast<int>(i))), c.fields[i]) << "field " << 4001 + i;
    }
    Close();
    EXPECT_EQ(ReadBytes(ProgressPath()), c.after);
  }
}

TEST_F(Play, AFieldThatIsGoneKeepsTheLineReadForIt) {
  WriteBytes(ProgressPath(), "Paris\r\nLyon\r\nMarseille\r\n");
  Open(TextQuiz(3));
  DestroyWindow(Q(4002));
  ASSERT_EQ(Q(4002), nullptr);
  SetWindowTextA(Q(4001), "Pau");
  Close();
  EXPECT_EQ(ReadBytes(ProgressPath()), "Pau\r\nLyon\r\nMarseille\r\n");
}

TEST_F(Play, TheSaveButtonSavesAndADestroyWithoutCloseDoesNot) {
  Open(TextQuiz(2));
  SetWindowTextA(Q(4001), "Paris");
  ClickAt(H(SAVE_BUTTON_ID), QPoint(5, 5));
  PumpMessages(windows.questions);
  EXPECT_EQ(ReadBytes(ProgressPath()), "Paris\r\n\r\n");

  SetWindowTextA(Q(4002), "Lyon");
  SendMessageA(windows.main, WM_DESTROY, 0, 0);
  PumpMessages();
  EXPECT_EQ(ReadBytes(ProgressPath()), "Paris\r\n\r\n");
}

TEST_F(Play, TheProgressFileIsNamedAfterTheProgram) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"capitales.exe", "capitales.txt"},
      {"a.b.exe", "a.b.txt"},
      {"capitales", "capitales.txt"},
      {"x.txt", "x.txt.txt"},
  };
  for (const auto& [program, progress] : names) {
    SCOPED_TRACE(program);
    Open(TextQuiz(2), program);
    const std::optional<std::string> programBytes = ReadBytes(program_);
    SetWindowTextA(Q(4001), "Paris");
    Close();
    EXPECT_EQ(ReadBytes(Folder() + "/" + progress), "Paris\r\n\r\n");
    EXPECT_EQ(ReadBytes(program_), programBytes) << "the program file is never overwritten";
    Open(TextQuiz(2), program);
    EXPECT_EQ(Text(Q(5001)), "BRAVO") << "and its answers come back";
    Close();
  }
}

TEST_F(Play, AQuizThatDidNotLoadNeverSaves) {
  struct Case {
    const char* name;
    std::string program;  // in the test's folder
    std::string bytes;    // the program file's content; none when empty
  };
  const std::vector<Case> cases = {
      {"no program file: the fallback quiz", "absent", ""},
      {"a damaged program file", "broken.exe", std::string("\x7F" "ELF and then nothing useful")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string progress = Folder() + "/" + (c.program == "absent" ? "absent.txt" : "broken.txt");
    WriteBytes(progress, "Paris\r\nFrance\r\n");
    const std::string path = Folder() + "/" + c.program;
    if (!c.bytes.empty()) WriteBytes(path, c.bytes);
    boxes.clear();
    StartProgram(path);
    EXPECT_FALSE(boxes.empty()) << "the player says the quiz is missing";
    EXPECT_EQ(Text(Q(4001)), "Paris") << "the fields still show what was read";
    SetWindowTextA(Q(4001), "autre chose");
    SetFocus(Q(4001));
    Stroke(4001, Qt::Key_F2);
    ClickAt(H(SAVE_BUTTON_ID), QPoint(5, 5));
    PumpMessages(windows.questions);
    Close();
    EXPECT_EQ(ReadBytes(progress), "Paris\r\nFrance\r\n");
  }
}

}  // namespace
