#include "tests/platform/demo_window.h"

#include <cstdio>

namespace ploxa::demo {
namespace {

HWND g_panel = nullptr;
HBRUSH g_panelBrush = nullptr;
HBRUSH g_bravoBrush = nullptr;

struct ControlPlan {
  const char* cls;
  const char* text;
  DWORD style;
  int id;
  int x, y, width, height;
};

const ControlPlan kControls[] = {
    {"Static", "Ville :", SS_RIGHT, 101, 10, 12, 60, 18},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kFirstEdit, 80, 10, 150, 20},
    {"Static", "Saison :", SS_RIGHT, 102, 10, 42, 60, 18},
    {"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kSecondEdit, 80, 40, 150, 20},
    {"button", "Cacher", BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBox, 80, 72, 80, 18},
    {"Static", "BRAVO", WS_BORDER | SS_CENTER | SS_CENTERIMAGE, kBravoLabel, 250, 10, 100, 20},
};

INT_PTR CALLBACK PanelProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      g_panelBrush = CreateSolidBrush(kPanelColour);
      g_bravoBrush = CreateSolidBrush(kBravoColour);
      HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
      for (const ControlPlan& c : kControls) {
        HWND h = CreateWindowExA(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.width, c.height, panel,
                                 reinterpret_cast<HMENU>(static_cast<LONG_PTR>(c.id)), GetModuleHandleA(nullptr), nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      }
      return TRUE;
    }
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(g_panelBrush);
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_ID) == kBravoLabel) {
        SetBkColor(dc, kBravoColour);
        return reinterpret_cast<INT_PTR>(g_bravoBrush);
      }
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(g_panelBrush);
    }
    case WM_DESTROY:
      DeleteObject(g_panelBrush);
      DeleteObject(g_bravoBrush);
      return FALSE;
    default: return FALSE;
  }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: {
      if (wParam == SIZE_MINIMIZED || !g_panel) return 0;
      SetWindowPos(g_panel, nullptr, 5, 2, LOWORD(static_cast<ULONG_PTR>(lParam)) - 11,
                   HIWORD(static_cast<ULONG_PTR>(lParam)) - 20, SWP_NOZORDER);
      return 0;
    }
    case WM_CLOSE: {
      const std::string report = DemoReport(g_panel);
      std::fputs(report.c_str(), stdout);
      std::fflush(stdout);
      DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (unsigned char b : bytes) {
    std::snprintf(two, sizeof two, "%02X", b);
    out += two;
  }
  return out;
}

}  // namespace

HWND CreateDemo(HINSTANCE instance, HWND* mainWindow) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
    wc.lpszClassName = "PloxaDemo";
    registered = RegisterClassExA(&wc) != 0;
  }
  HWND main = CreateWindowExA(0, "PloxaDemo", kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 544, 375,
                              nullptr, nullptr, instance, nullptr);
  RECT screen{}, own{};
  GetWindowRect(GetDesktopWindow(), &screen);
  GetWindowRect(main, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(main, nullptr, screen.left + (screen.right - screen.left - width) / 2,
               screen.top + (screen.bottom - screen.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  g_panel = CreateDialogParamA(instance, MAKEINTRESOURCEA(1002), main, PanelProc, 0);
  ShowWindow(g_panel, SW_SHOWNORMAL);
  ShowWindow(main, SW_SHOWNORMAL);
  if (mainWindow) *mainWindow = main;
  return g_panel;
}

std::string DemoReport(HWND panel) {
  char text[260];
  std::string report;
  GetDlgItemTextA(panel, kFirstEdit, text, sizeof text);
  report += "edit1=" + Hex(text) + "\n";
  GetDlgItemTextA(panel, kSecondEdit, text, sizeof text);
  report += "edit2=" + Hex(text) + "\n";
  report += "check=" + std::to_string(SendDlgItemMessageA(panel, kCheckBox, BM_GETCHECK, 0, 0)) + "\n";
  return report;
}

int RunDemo(HINSTANCE instance) {
  HWND panel = CreateDemo(instance, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(panel, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace ploxa::demo
