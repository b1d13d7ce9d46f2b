// Construction of the question panel: every control is made in code.
#include "panels/question_panel.h"

#include <algorithm>

#include "answers/verdict_effects.h"
#include "panels/answer_field.h"
#include "panels/child_controls.h"
#include "panels/control_ids.h"
#include "panels/media_clips.h"
#include "panels/progress_file.h"
#include "panels/save_progress.h"
#include "pictures/picture_loading.h"
#include "platform/win_api.h"
#include "quiz/appearance_set.h"
#include "quiz/quiz_state.h"
#include "shell/app_state.h"

namespace {

constexpr int FIRST_ROW_TOP = 5;
constexpr int TEXT_ROW_PITCH = 25;
constexpr int COLUMN_PITCH = 290;
constexpr int PICTURE_GAP = 10;
constexpr int FIELD_PITCH = 19;
constexpr int TEXT_CONTENT_WIDTH = 880;
constexpr int CELL_CONTENT_WIDTH = 890;
constexpr int CELL_ANSWER_LIMIT = 128;

int RowTail(const QuizState& quiz) { return quiz.revealMode >= 2 ? 140 : 60; }

struct Builder {
  HWND panel;
  QuizState* quiz;
  ProgressReader& progress;
  int y = FIRST_ROW_TOP;
  int row = 0;
  HBITMAP rowPictures[3] = {};
  int rowHeight = 0;

  std::string NextLine() {
    char line[PROGRESS_LINE_SIZE];
    progress.NextLine(line);
    PanelValues().restoredLines.emplace_back(line);
    return line;
  }

  // When construction stops early, the lines of the fields never built are
  // still read, so that a save keeps them.
  void KeepUnreadLines() {
    const int fields = quiz->questionCount * (quiz->answersPerQuestion == 2 ? 2 : 1);
    while (static_cast<int>(PanelValues().restoredLines.size()) < fields) NextLine();
  }

  // The field takes the answer field behaviour and is judged once.
  void Finish(HWND field, int id) {
    const auto base = reinterpret_cast<WNDPROC>(
        SetWindowLongA(field, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerFieldProc)));
    if (base != nullptr && base != &AnswerFieldProc) PanelValues().baseEditProc = base;
    EvaluateAnswer(quiz, panel, id);
  }

  void TextRow(int n) {
    char number[16];
    wsprintfA(number, "%d.", n);
    CreateControl(panel, "Static", number, SS_RIGHT, 26, y + 2, 19, 17, NUMBER_LABEL_ID);
    const QuestionNode* node = FindQuestion(quiz, n - 1);
    HWND label = CreateControl(panel, "Static", node ? node->prompt : "", WS_BORDER | SS_CENTER | SS_CENTERIMAGE, 50,
                               y, 550, 20, QUESTION_LABEL_ID);
    SetFont(label, quiz->answerFont, FALSE);
    const int id = FIRST_ANSWER_FIELD_ID + n;
    const std::string text = NextLine();
    HWND field = CreateControl(panel, "Edit", text.c_str(), WS_BORDER | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, 610,
                               y, 170, 20, id);
    SetFont(field, quiz->answerFont, FALSE);
    // What a progress file can keep, so nothing typed is cut at the next save.
    SendMessageA(field, EM_LIMITTEXT, ANSWER_TEXT_SIZE - 1, 0);
    CreateControl(panel, "Static", "?", WS_BORDER | SS_CENTER | SS_CENTERIMAGE, 790, y, 100, 20, id + VERDICT_OFFSET);
    Finish(field, id);
    y += TEXT_ROW_PITCH;
    quiz->contentWidth = TEXT_CONTENT_WIDTH;
    quiz->contentHeight = y;
  }

  // Loads the row's three pictures; those past the last question too, as a row is three cells.
  void LoadRowPictures(int n) {
    rowHeight = 0;
    for (int c = 0; c < 3; ++c) {
      rowPictures[c] = LoadPicture(GetModuleHandleA(nullptr), QUESTION_PICTURE_ID + n + c, "IMG", CELL_WIDTH, CELL_WIDTH);
      rowHeight = std::max(rowHeight, PictureSize(rowPictures[c]).height);
    }
    if (row < MAX_ROWS) quiz->rowHeights[row] = rowHeight;
    ++row;
    // A picture no cell will take is released now.
    for (int c = 0; c < 3; ++c) {
      if (n + c > quiz->questionCount && rowPictures[c] != nullptr) {
        DeleteObject(rowPictures[c]);
        rowPictures[c] = nullptr;
      }
    }
  }

  // False when construction must stop (a media player that cannot be made).
  bool CellRow(int n) {
    const int answers = quiz->answersPerQuestion;
    const int c = (n - 1) % 3;
    const int x = (answers == 2 ? 106 : 46) + COLUMN_PITCH * c;
    int cellHeight = 0, dx = 0, fieldWidth = CELL_WIDTH;
    HWND cell = nullptr;
    if (quiz->quizKind == KIND_PICTURES) {
      if (c == 0) LoadRowPictures(n);
      const PictureDimensions size = PictureSize(rowPictures[c]);
      cell = CreateControl(panel, "Static", nullptr, WS_BORDER | SS_BITMAP | SS_CENTERIMAGE,
                           x + (CELL_WIDTH - size.width) / 2, y + (rowHeight - size.height) / 2, size.width,
                           size.height, PICTURE_CELL_ID + n);
      cellHeight = rowHeight + PICTURE_GAP;
    } else {
      const bool video = quiz->quizKind == KIND_VIDEO;
      cell = CreateControl(panel, "Static", nullptr, WS_BORDER, x, y, video ? CELL_WIDTH : 0, video ? 200 : 0,
                           PICTURE_CELL_ID + n);
      if (!CreateClipPlayer(quiz, cell, n)) return false;
      cellHeight = video ? 210 : 0;
      dx = 20;
      fieldWidth = 240;
    }
    const int t = y + cellHeight;

    const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (answers == 2 && c == 0) {
      HWND first = CreateControl(panel, "Static", quiz->answerLabel1, 0, 4, t + 2, 95, 20, ANSWER_LABEL_ID);
      HWND second = CreateControl(panel, "Static", quiz->answerLabel2, 0, 3, t + 22, 95, 20, ANSWER_LABEL_ID);
      SetFont(first, stock, TRUE);
      SetFont(second, stock, TRUE);
      PanelValues().answerLabels.push_back({first, second});
    }
    char number[16];
    wsprintfA(number, "%d.", n);
    CreateControl(panel, "Static", number, SS_RIGHT, x - 28, t + 2, 27, 17, NUMBER_LABEL_ID + n);
    if (quiz->revealMode >= 2) {
      HWND reveal = CreateControl(panel, "Static", "", SS_CENTER, x, t + 46, CELL_WIDTH, 65, REVEAL_LABEL_ID + n);
      SetFont(reveal, stock, TRUE);
      const QuestionNode* node = FindQuestion(quiz, n - 1);
      SetWindowTextA(reveal, node ? node->revealText : "");
      ShowWindow(reveal, SW_HIDE);
    }
    for (int k = 1; k <= answers; ++k) {
      const std::string text = NextLine();
      const int id = answers == 1 ? FIRST_ANSWER_FIELD_ID + n : FIRST_ANSWER_FIELD_ID + 2 * (n - 1) + k;
      const DWORD fieldStyle = WS_BORDER | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
      const DWORD verdictStyle = WS_BORDER | SS_CENTER | SS_CENTERIMAGE;
      HWND field = nullptr;
      if (answers == 1) {
        field = CreateControl(panel, "Edit", text.c_str(), fieldStyle, x + dx, t, fieldWidth, 20, id);
        CreateControl(panel, "Static", "?", verdictStyle, x + dx, t + FIELD_PITCH, fieldWidth, 20, id + VERDICT_OFFSET);
      } else {
        const int top = t + FIELD_PITCH * (k - 1);
        field = CreateControl(panel, "Edit", text.c_str(), fieldStyle, x + dx, top, fieldWidth - 59, 20, id);
        HWND verdict =
            CreateControl(panel, "Static", "?", verdictStyle, x + dx + fieldWidth - 60, top, 60, 20, id + VERDICT_OFFSET);
        SetFont(verdict, stock, TRUE);
      }
      SetFont(field, quiz->answerFont, FALSE);
      SendMessageA(field, EM_LIMITTEXT, CELL_ANSWER_LIMIT, 0);
      Finish(field, id);
    }

    if (quiz->quizKind == KIND_PICTURES) {
      // A cell that already shows its reveal picture keeps it.
      if (SendMessageA(cell, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0) {
        SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(rowPictures[c]));
      } else if (rowPictures[c] != nullptr) {
        DeleteObject(rowPictures[c]);
      }
      rowPictures[c] = nullptr;
    } else {
      const DWORD buttonStyle = WS_TABSTOP | BS_DEFPUSHBUTTON | BS_ICON;
      HWND play = CreateControl(panel, "Button", "", buttonStyle, x, t, 20, 20, PLAY_BUTTON_ID + n);
      SendMessageA(play, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(PLAY_ICON_ID))));
      HWND stop = CreateControl(panel, "Button", "", buttonStyle, x, t + 20, 20, 19, STOP_BUTTON_ID + n);
      SendMessageA(stop, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(STOP_ICON_ID))));
    }

    if (n % 3 == 1) {
      quiz->contentWidth = CELL_CONTENT_WIDTH;
      quiz->contentHeight = t + RowTail(*quiz);
    } else if (n % 3 == 0) {
      y = t + RowTail(*quiz);
    }
    return true;
  }
};

}  // namespace

QuestionPanelValues& PanelValues() {
  static QuestionPanelValues values;
  return values;
}

// Builds every control of every question; returns TRUE as a dialog's WM_INITDIALOG does.
INT_PTR BuildQuestionPanel(HWND panel) {
  QuizState* quiz = TheQuizState();
  QuestionPanelValues& values = PanelValues();
  values.bravoBrush = CreateSolidBrush(RGB(0, 255, 0));
  values.restoredLines.clear();
  values.answerLabels.clear();
  values.tabScrollTarget = 0;
  quiz->contentWidth = 0;
  quiz->contentHeight = 0;

  ProgressReader progress(ProgressFilePath());
  CreateAnswerFont(quiz, AppServices());

  Builder builder{panel, quiz, progress};
  for (int n = 1; n <= quiz->questionCount; ++n) {
    if (quiz->quizKind == KIND_TEXT) {
      builder.TextRow(n);
    } else if (quiz->quizKind >= KIND_PICTURES && quiz->quizKind <= KIND_VIDEO) {
      if (!builder.CellRow(n)) {
        builder.KeepUnreadLines();
        return TRUE;
      }
    }
  }
  quiz->contentWidth += quiz->answersPerQuestion == 2 ? 80 : 20;
  UpdateScrollRanges(quiz, panel);
  return TRUE;
}
