// Message boxes (with the test hook), the shell's "open", and the string helpers.
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "platform/win_internal.h"

namespace {

MessageBoxHook& Hook() {
  static auto* hook = new MessageBoxHook;
  return *hook;
}

}  // namespace

using namespace ploxa::win;

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const std::string_view t = text ? text : "";
  const std::string_view c = caption ? caption : "Erreur";
  if (Hook()) return Hook()(owner, t, c, type);
  EnsureApplication();
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  // Ownerless: the box is modal for the whole program.
  QMessageBox box(icon, FromCp1252(c), FromCp1252(t), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return IDOK;
}

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, int) {
  constexpr ULONG_PTR kFileNotFound = 2, kNoAssociation = 31, kDone = 42;
  if (verb && strcasecmp(verb, "open") != 0) return MakeHandle<HINSTANCE>(kNoAssociation);
  if (!file || !*file) return MakeHandle<HINSTANCE>(kFileNotFound);
  EnsureApplication();
  const QUrl url = QUrl::fromUserInput(FromCp1252(file));
  if (!url.isValid()) return MakeHandle<HINSTANCE>(kFileNotFound);
  return MakeHandle<HINSTANCE>(QDesktopServices::openUrl(url) ? kDone : kNoAssociation);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
  const int r = std::strcmp(a ? a : "", b ? b : "");
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

LPSTR lstrcpyA(LPSTR dest, LPCSTR src) {
  if (!dest) return nullptr;
  return std::strcpy(dest, src ? src : "");
}

LPSTR lstrcatA(LPSTR dest, LPCSTR src) {
  if (!dest) return nullptr;
  return std::strcat(dest, src ? src : "");
}

int lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  if (!out || !format) return 0;
  constexpr std::size_t kLimit = 1024;  // the platform's output limit, terminator included
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(out, kLimit, format, args);
  va_end(args);
  if (n < 0) {
    out[0] = '\0';
    return 0;
  }
  return n < static_cast<int>(kLimit) ? n : static_cast<int>(kLimit) - 1;
}
