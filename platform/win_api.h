// The calls of the Win32-style layer, implemented on Qt 6. Each declaration says
// in one line what it leaves out, so nobody has to guess whether a flag works.
// Everything runs on the one GUI thread; a null, stale or deleted handle makes a
// call a harmless no-op with the platform's failure result.
#pragma once

#include <functional>
#include <string_view>

#include "platform/win_resources.h"
#include "platform/win_types.h"

// ---- Window classes and windows -------------------------------------------------

// Registers a class; names compare without case. Class and window extra bytes and menus are ignored.
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
// Removes a class no window uses any more (FALSE otherwise); atoms are not supported.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
// Creates a window; WS_EX_* styles other than none, menus and WS_POPUP ownership are ignored.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID param);
// Sends WM_DESTROY (parent first) and WM_NCDESTROY (children first); owned popups are not tracked.
BOOL DestroyWindow(HWND hwnd);
// TRUE for a live window handle.
BOOL IsWindow(HWND hwnd);
// TRUE when the window and all its ancestors have WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
// The parent of a child window; owners of top-level windows are not kept (null).
HWND GetParent(HWND hwnd);
// The primary screen; it receives no messages.
HWND GetDesktopWindow();
// Reads GWL_ID, GWL_STYLE, GWL_EXSTYLE, GWL_WNDPROC, GWL_USERDATA, GWL_HINSTANCE, GWL_HWNDPARENT
// and, for dialogs, DWL_MSGRESULT, DWL_DLGPROC, DWL_USER; values are pointer-sized. Extra bytes are not supported.
LONG_PTR GetWindowLongA(HWND hwnd, int index);
// Writes the same indexes and returns the previous value; a style change does not recreate scroll bars.
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value);
// Changes GCL_HCURSOR (live windows of the class follow), GCL_HBRBACKGROUND, GCL_HICON, GCL_STYLE.
ULONG_PTR SetClassLongA(HWND hwnd, int index, LONG_PTR value);
// Calls a procedure kept from subclassing; nothing else (no thunks, no Unicode procedures).
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Shows, hides, minimises or restores; SW_SHOWMAXIMIZED is shown normally.
BOOL ShowWindow(HWND hwnd, int command);
// Moves and sizes; the z-order arguments (insertAfter, SWP_NOZORDER's opposite) are ignored.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// SetWindowPos without z-order; repaint is always done.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// Outer rectangle in the layer's screen coordinates (a top-level window includes its classic frame).
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// Client rectangle, origin 0, 0: outer size less frame, border and visible scroll bars.
BOOL GetClientRect(HWND hwnd, RECT* rect);
// Screen to client coordinates of the window.
BOOL ScreenToClient(HWND hwnd, POINT* point);
// Client to screen coordinates of the window.
BOOL ClientToScreen(HWND hwnd, POINT* point);
// Schedules a repaint of the whole client area; the rectangle and the erase flag are ignored.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
// Repaints at once when the window is on screen.
BOOL UpdateWindow(HWND hwnd);
// Enables or disables input; returns TRUE when it was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
// Sends WM_SETTEXT; text is code page 1252 bytes.
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
// Sends WM_GETTEXT; always terminates the buffer, returns the bytes copied.
int GetWindowTextA(HWND hwnd, LPSTR buffer, int size);
// Sends WM_GETTEXTLENGTH.
int GetWindowTextLengthA(HWND hwnd);

// ---- Messages ------------------------------------------------------------------

// A direct call of the window's procedure; no cross-thread sending.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues a message (null window: a thread message); HWND_BROADCAST is not supported.
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Ends the loop: GetMessageA returns 0 once the queue holds nothing else.
void PostQuitMessage(int exitCode);
// Waits on Qt's event loop for a message; the window and range filters are ignored.
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Like GetMessageA without waiting; filters are ignored, PM_NOREMOVE keeps the message.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
// Queues WM_CHAR (or WM_SYSCHAR) for the characters of a key press that code page 1252 holds; others are refused.
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of msg->hwnd; thread messages and timers are not dispatched.
LRESULT DispatchMessageA(const MSG* msg);
// Default handling: close, text, font, icon, erase, colour messages, wheel to the parent, scroll bar tracking.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// State of VK_SHIFT, VK_CONTROL, VK_MENU as of the last message taken from the queue (high bit = down); other keys 0.
SHORT GetKeyState(int virtualKey);

// ---- Focus ---------------------------------------------------------------------

// Moves the focus (WM_KILLFOCUS then WM_SETFOCUS); a disabled window may still get it. No activation of other top-level windows.
HWND SetFocus(HWND hwnd);
// The layer's focus window; the focus of other programs is not seen.
HWND GetFocus();

// ---- Dialogs -------------------------------------------------------------------

// A modeless dialog from a DLGTEMPLATE resource; DLGTEMPLATEEX, menus, classes and control items are not supported.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam);
// Keeps the result and hides the dialog (modeless dialogs are not destroyed); FALSE on a stale handle.
BOOL EndDialog(HWND dialog, INT_PTR result);
// First child in creation order with this id; grandchildren are not searched.
HWND GetDlgItem(HWND dialog, int id);
// The window's id (GWL_ID).
// The window's id (GWL_ID), also for windows that are not dialog controls.
int GetDlgCtrlID(HWND hwnd);
// SendMessageA to GetDlgItem's window; 0 when there is none.
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
// SetWindowTextA on GetDlgItem's window; FALSE when there is none.
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
// GetWindowTextA on GetDlgItem's window; "" and 0 when there is none.
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
// Tab/Shift+Tab among WS_TABSTOP children, Enter as IDOK, Escape as IDCANCEL; no mnemonics, arrow groups or DM_GETDEFID.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);
// The dialog's default procedure, for a program that subclasses a dialog.
LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Scroll bars (SB_HORZ, SB_VERT of a window with WS_HSCROLL, WS_VSCROLL) ----------

// Range, page and position with the platform's clamping; SB_CTL scroll bar controls are not supported.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
// Fills the fields fMask names; SIF_TRACKPOS gives the thumb's place during a drag. SB_CTL is not supported.
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Clamped like SetScrollInfo; returns the previous position. SB_CTL is not supported.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
// SB_CTL is not supported (0).
int GetScrollPos(HWND hwnd, int bar);
// Moves every child and repaints; scroll and clip rectangles are not supported (whole client area).
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect);

// ---- GDI -----------------------------------------------------------------------

// A solid brush; hatched and pattern brushes are not supported.
HBRUSH CreateSolidBrush(COLORREF color);
// Maps height, weight, italic, underline, strike-out and face; width, escapement, orientation, charset and quality are ignored.
HFONT CreateFontIndirectA(const LOGFONTA* font);
// WHITE/LTGRAY/GRAY/BLACK/NULL_BRUSH, SYSTEM_FONT, DEFAULT_GUI_FONT; pens and palettes are not supported.
HGDIOBJ GetStockObject(int index);
// Deletes a font, brush or bitmap; stock objects are kept (TRUE). A bitmap selected into a memory DC is
// kept (FALSE); selected fonts and brushes are not tracked.
BOOL DeleteObject(HGDIOBJ object);
// The classic system colours (COLOR_*); unknown indexes give 0.
DWORD GetSysColor(int index);
// A stock brush of a system colour; never deleted.
HBRUSH GetSysColorBrush(int index);
// A bitmap of the screen's format (32 bits), filled black; no DC is needed. Sides over 16384 or more
// than 64 Mi pixels fail (ERROR_INVALID_PARAMETER).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A section in the requested layout: BI_RGB, 1, 4, 8, 24 or 32 bits, colour table after the header
// (biClrUsed entries, 0 for all), rows bottom-up or top-down (negative height) padded to 4 bytes, bits
// zeroed. DIB_PAL_COLORS, file mappings, 16 bits and compressed layouts are not supported.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE fileMapping,
                         DWORD offset);
// A memory DC holding a 1 x 1 stock bitmap until another is selected.
HDC CreateCompatibleDC(HDC dc);
// Memory DCs only; the selected bitmap is let go, not deleted.
BOOL DeleteDC(HDC dc);
// BLACKONWHITE (the default), WHITEONBLACK, COLORONCOLOR pick one source pixel per target pixel;
// HALFTONE averages the source area (smooth). Returns the previous mode.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
// SRCCOPY only, from a memory DC's bitmap (any section layout) into a memory DC's compatible bitmap,
// 24- or 32-bit section, or a paint DC. Mirroring (negative sizes) and source rectangles reaching
// outside the bitmap are not supported (FALSE).
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);
// IMAGE_BITMAP only: a compatible bitmap copied at its size (0, 0) or stretched; LR_COPYDELETEORG
// deletes the original. LR_CREATEDIBSECTION and other flags are not supported (ERROR_INVALID_PARAMETER).
HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags);
// The calling thread's last error code, as set by the bitmap calls above.
DWORD GetLastError();
void SetLastError(DWORD code);
// Fills a BITMAP for a bitmap (LOGFONTA for a font); other objects are not supported.
int GetObjectA(HGDIOBJ object, int size, LPVOID out);
// Text colour of the DC (0xFFFFFFFF for a bad DC); palette indexes are not supported.
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
// TRANSPARENT or OPAQUE; returns the previous mode.
int SetBkMode(HDC dc, int mode);
// Background colour behind OPAQUE text (0xFFFFFFFF for a bad DC); palette indexes are not supported.
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
// Selects a font or brush into a DC, or a bitmap into a memory DC (one DC at a time); returns the previous one.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Fills with a brush (or a system colour index + 1) on a painting DC.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Draws text at a point with the DC's font, colours and background mode.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
// The DC of a WM_PAINT; painting outside WM_PAINT is not supported.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
// Nothing to release: the paint DC ends with the WM_PAINT.
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// A DC without a surface (null window: the screen), good for CreateCompatibleBitmap, CreateCompatibleDC
// and text colours only.
HDC GetDC(HWND hwnd);
// Releases a GetDC DC; 0 for a paint DC or a bad one.
int ReleaseDC(HWND hwnd, HDC dc);

// ---- Icons, cursors, message boxes, shell ----------------------------------------

// IDI_APPLICATION, IDI_QUESTION (null instance) and the player's icons 1004, 1005; icon files in bundles are not read.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// IDC_ARROW (null instance) and the player's pointing hand 1003; cursor files in bundles are not read.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// A modal, ownerless box; only the OK button (IDOK), icons MB_ICONINFORMATION, MB_ICONERROR, MB_ICONWARNING, MB_ICONQUESTION.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// "open" (or null verb) through the desktop's opener; parameters, folder and show state are ignored. >32 on success.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int show);

// ---- String helpers ------------------------------------------------------------

// Byte comparison (strcmp), not the platform's locale-aware order; null counts as "".
int lstrcmpA(LPCSTR a, LPCSTR b);
// strcpy, strcat and strlen; null counts as "", overlong copies are not caught (as on the platform).
LPSTR lstrcpyA(LPSTR dest, LPCSTR src);
LPSTR lstrcatA(LPSTR dest, LPCSTR src);
int lstrlenA(LPCSTR s);
// vsnprintf with the platform's 1024-byte output limit; floating point is not refused as the platform does.
int wsprintfA(LPSTR out, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));

// ---- Not part of the platform: hooks for tests and the program's entry ----------

// Message boxes go to the hook instead of the screen while one is set; it returns the button id.
using MessageBoxHook = std::function<int(HWND owner, std::string_view text, std::string_view caption, UINT type)>;
// Returns the previous hook; an empty function restores real boxes.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Live GDI objects made by the program (stock objects excluded).
struct GdiObjectCounts {
  int fonts = 0;
  int brushes = 0;
  int bitmaps = 0;
};
GdiObjectCounts GetGdiObjectCounts();
// New bitmaps take their pixels from this budget and fail (ERROR_NOT_ENOUGH_MEMORY) when it runs
// short, as when memory runs out; -1 (the start) for no limit.
void SetBitmapPixelBudget(long long pixels);

// Creates the Qt application from the process's arguments and calls the program's entry.
using WinMainProc = int (*)(HINSTANCE, HINSTANCE, LPSTR, int);
int RunWinMain(int argc, char** argv, WinMainProc winMain);
