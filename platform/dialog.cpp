// Modeless dialogs from templates, the dialog default procedure and the dialog
// manager's keyboard handling.
#include <QFontMetrics>
#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "platform/cp1252.h"
#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

// A DLGTEMPLATE's header; its control items are not read.
struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string title;
  bool hasFont = false;
};

class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  std::uint16_t Word() {
    if (pos_ + 2 > bytes_.size()) {
      ok_ = false;
      return 0;
    }
    const std::uint16_t v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t Dword() {
    const std::uint32_t lo = Word();
    const std::uint32_t hi = Word();
    return lo | (hi << 16);
  }
  // A UTF-16 string up to its terminator; characters beyond code page 1252 become '?'.
  std::string String() {
    std::string out;
    for (;;) {
      const std::uint16_t c = Word();
      if (!ok_ || c == 0) return out;
      unsigned char b = '?';
      if (!cp1252::FromUnicode(c, &b)) b = '?';
      out.push_back(static_cast<char>(b));
    }
  }
  // Menu and class fields: none (0), an ordinal (0xFFFF then a word) or a string.
  void SkipNameOrOrdinal() {
    const std::uint16_t first = Word();
    if (!ok_ || first == 0) return;
    if (first == 0xFFFF) {
      Word();
      return;
    }
    for (std::uint16_t c = Word(); ok_ && c != 0; c = Word()) {
    }
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

std::optional<DialogTemplate> ParseTemplate(std::span<const std::uint8_t> bytes) {
  TemplateReader r(bytes);
  DialogTemplate t;
  t.style = r.Dword();
  if ((t.style & 0xFFFF0000u) == 0xFFFF0000u && (t.style & 0xFFFF) == 1) return std::nullopt;  // DLGTEMPLATEEX
  t.exStyle = r.Dword();
  r.Word();  // item count: items are not supported
  t.x = static_cast<std::int16_t>(r.Word());
  t.y = static_cast<std::int16_t>(r.Word());
  t.cx = static_cast<std::int16_t>(r.Word());
  t.cy = static_cast<std::int16_t>(r.Word());
  r.SkipNameOrOrdinal();  // menu
  r.SkipNameOrOrdinal();  // class
  t.title = r.String();
  if (t.style & DS_SETFONT) {
    r.Word();    // point size
    r.String();  // face: the dialog uses the 8-point default GUI font
    t.hasFont = true;
  }
  if (!r.ok()) return std::nullopt;
  return t;
}

// Dialog base units of a font: average character width and cell height.
QSize BaseUnits(HFONT font) {
  const QFontMetrics fm(FontOf(font));
  const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int width = (fm.horizontalAdvance(sample) / 26 + 1) / 2;
  return {std::max(1, width), std::max(1, fm.height())};
}

bool IsColorMessage(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }

LRESULT DialogDefaults(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_ERASEBKGND: {
      // The dialog asks its own procedure for its background.
      LRESULT brush = SendMessageA(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd));
      if (!brush) brush = DefaultControlColors(reinterpret_cast<HDC>(wParam), WM_CTLCOLORDLG);
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, reinterpret_cast<HBRUSH>(brush));
      return 1;
    }
    case WM_CLOSE:
      PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
      return 0;
    case WM_SETFOCUS: {
      HWND target = IsWindow(w->dlgFocus) && IsAncestor(hwnd, w->dlgFocus) ? w->dlgFocus : NextTabStop(hwnd, nullptr, false);
      if (target) SetFocus(target);
      return 0;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

HWND NextTabStop(HWND dialog, HWND from, bool backwards) {
  Window* d = FindWin(dialog);
  if (!d) return nullptr;
  const std::vector<HWND>& kids = d->children;
  const int n = static_cast<int>(kids.size());
  if (n == 0) return nullptr;
  auto isStop = [](HWND h) {
    Window* c = FindWin(h);
    return c && (c->style & WS_TABSTOP) && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED);
  };
  int start = -1;  // the child that holds `from`
  for (int i = 0; from && i < n; ++i) {
    if (IsAncestor(kids[static_cast<std::size_t>(i)], from)) start = i;
  }
  if (start < 0) start = backwards ? 0 : n - 1;  // so that the first step lands on the first (last) child
  for (int k = 1; k <= n; ++k) {
    const int j = ((backwards ? start - k : start + k) % n + n) % n;
    if (isStop(kids[static_cast<std::size_t>(j)])) return kids[static_cast<std::size_t>(j)];
  }
  return nullptr;
}

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWin(hwnd);
  if (!w) return 0;
  if (DLGPROC proc = w->dlgProc) {
    w->msgResult = 0;
    ++Reg().callDepth;
    const INT_PTR handled = proc(hwnd, msg, wParam, lParam);
    --Reg().callDepth;
    if (handled) {
      // These messages give their result directly; the others through DWL_MSGRESULT.
      if (IsColorMessage(msg) || msg == WM_INITDIALOG) return handled;
      Window* again = FindWin(hwnd);
      return again ? again->msgResult : 0;
    }
  }
  return DialogDefaults(hwnd, msg, wParam, lParam);
}

}  // namespace ploxa::win

using namespace ploxa::win;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam) {
  RegisterBuiltinClasses();
  HRSRC res = FindResourceA(instance, templateName, RT_DIALOG);
  if (!res) return nullptr;
  const DWORD size = SizeofResource(instance, res);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(instance, res)));
  if (!bytes) return nullptr;
  const std::optional<DialogTemplate> t = ParseTemplate({bytes, size});
  if (!t) return nullptr;

  HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const QSize base = BaseUnits(font);
  int x = t->x * base.width() / 4;
  int y = t->y * base.height() / 8;
  const int cx = t->cx * base.width() / 4;
  const int cy = t->cy * base.height() / 8;
  Window* parentWin = parent ? FindWin(parent, "CreateDialogParamA") : nullptr;
  if (parent && !parentWin) return nullptr;
  if (!(t->style & WS_CHILD) && parentWin) {
    // A popup dialog is placed relative to its owner's client area.
    const QPoint o = ClientOriginOnScreen(*parentWin);
    x += o.x();
    y += o.y();
  }
  HWND dlg = CreateWindowInternal(t->exStyle, "#32770", t->title, t->style & ~WS_VISIBLE, x, y, cx, cy,
                                  (t->style & WS_CHILD) ? parent : nullptr, 0, instance, nullptr, nullptr);
  if (!dlg) return nullptr;
  Window* w = FindWin(dlg);
  w->isDialog = true;
  w->dlgProc = dialogProc;
  if (t->hasFont) SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (!IsWindow(dlg)) return nullptr;
  const LRESULT focusDefault = SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(NextTabStop(dlg, nullptr, false)), initParam);
  if (!IsWindow(dlg)) return nullptr;
  if (focusDefault) {
    // The procedure may have created the controls: look for the first tab stop again.
    if (HWND first = NextTabStop(dlg, nullptr, false)) {
      SetFocus(first);
      if (SendMessageA(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(first, EM_SETSEL, 0, -1);
    }
  }
  if (IsWindow(dlg) && (t->style & WS_VISIBLE)) ShowWindow(dlg, SW_SHOWNORMAL);
  return IsWindow(dlg) ? dlg : nullptr;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  Window* w = FindWin(dialog, "EndDialog");
  if (!w || !w->isDialog) return FALSE;
  w->dlgResult = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* d = FindWin(dialog, "GetDlgItem");
  if (!d) return nullptr;
  for (HWND child : d->children) {
    Window* c = FindWin(child);
    if (c && c->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = FindWin(hwnd, "GetDlgCtrlID");
  return w ? static_cast<int>(w->id) : 0;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageA(item, msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = '\0';
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(GetWindowTextA(item, buffer, size)) : 0;
}

LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DialogProc(dialog, msg, wParam, lParam);
}

BOOL IsDialogMessageA(HWND dialog, MSG* msg) {
  if (!msg || !FindWin(dialog, "IsDialogMessageA")) return FALSE;
  if (!msg->hwnd || !IsAncestor(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    const LRESULT code = SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    const bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
    switch (msg->wParam) {
      case VK_TAB:
        if (wantsAll || (code & DLGC_WANTTAB)) break;
        if (HWND next = NextTabStop(dialog, msg->hwnd, GetKeyState(static_cast<int>(VK_SHIFT)) < 0)) {
          SetFocus(next);
          if (IsWindow(next) && (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) {
            SendMessageA(next, EM_SETSEL, 0, -1);
          }
        }
        return TRUE;
      case VK_RETURN:
        if (wantsAll) break;
        // Always IDOK: the dialog decides what Enter means.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return TRUE;
      case VK_ESCAPE:
        if (wantsAll) break;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return TRUE;
      default: break;
    }
  } else if (msg->message == WM_CHAR && (msg->wParam == '\t' || msg->wParam == '\r' || msg->wParam == 0x1B)) {
    // The characters of keys the dialog manager took never reach a control that does not ask for them.
    const LRESULT code = SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    const bool wanted = (code & DLGC_WANTALLKEYS) || (msg->wParam == '\t' && (code & DLGC_WANTTAB));
    if (!wanted) return TRUE;
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}
