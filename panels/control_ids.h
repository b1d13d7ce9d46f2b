// Control identifiers and layout constants shared by the panels and the
// verdict effects. Question n counts from 1.
#pragma once

// Question panel.
inline constexpr int NUMBER_LABEL_ID = 2000;         // + n in the cell layout, 2000 for every text row
inline constexpr int QUESTION_LABEL_ID = 3000;       // every text row
inline constexpr int FIRST_ANSWER_FIELD_ID = 4000;   // + n, or + 2 × (n − 1) + k with two answers
inline constexpr int VERDICT_OFFSET = 1000;          // verdict label = answer field + 1000
inline constexpr int FIRST_VERDICT_LABEL_ID = 5000;
inline constexpr int PLAY_BUTTON_ID = 6000;          // + n
inline constexpr int STOP_BUTTON_ID = 7000;          // + n
inline constexpr int REVEAL_LABEL_ID = 8000;         // + n
inline constexpr int PICTURE_CELL_ID = 9900;         // + n, the picture or media cell
inline constexpr int ANSWER_LABEL_ID = 156;          // both labels of a two-answer row

// Pictures.
inline constexpr int QUESTION_PICTURE_ID = 400;      // + n
inline constexpr int REVEAL_PICTURE_ID = 10400;      // + n
inline constexpr int CELL_WIDTH = 260;               // the picture fitting box is CELL_WIDTH square

// Header panel.
inline constexpr int LINK_LABEL_ID = 24;
inline constexpr int BY_LABEL_ID = 25;
inline constexpr int AUTHOR_LABEL_ID = 26;
inline constexpr int SAVE_BUTTON_ID = 27;
inline constexpr int EXPLANATION_LABEL_ID = 28;
inline constexpr int TITLE_LABEL_ID = 29;
inline constexpr int CODE_FIELD_ID = 30;
inline constexpr int CODE_CAPTION_ID = 31;
inline constexpr int COUNTER_LABEL_ID = 32;
inline constexpr int HIDE_BOX_ID = 33;
inline constexpr int LOWER_LEFT_RULE_ID = 120;
inline constexpr int LEFT_RULE_ID = 121;
inline constexpr int RIGHT_RULE_ID = 122;

// Main window.
inline constexpr int FOOTER_LABEL_ID = 8000;

// Texts are read into buffers of this size (259 characters and the terminator).
inline constexpr int ANSWER_TEXT_SIZE = 260;

// Private scroll requests of the question panel (low word of WM_VSCROLL's wParam).
inline constexpr int SCROLL_STEP_DOWN = 500;
inline constexpr int SCROLL_STEP_UP = 501;
inline constexpr int SCROLL_TO_TARGET = 502;

// Dialog templates, cursor and icons built into the player.
inline constexpr int QUESTION_PANEL_TEMPLATE = 1001;
inline constexpr int HEADER_PANEL_TEMPLATE = 1002;
inline constexpr int LINK_CURSOR_ID = 1003;
inline constexpr int PLAY_ICON_ID = 1004;
inline constexpr int STOP_ICON_ID = 1005;
