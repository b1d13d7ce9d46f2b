// Removing a window class, as the program does when it is done with it.
#include <algorithm>
#include <cctype>
#include <string>

#include "platform/win_api.h"
#include "platform/win_internal.h"

using namespace ploxa::win;

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (className == nullptr || IS_INTRESOURCE(className)) return FALSE;
  std::string key(className);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  auto found = Reg().classes.find(key);
  if (found == Reg().classes.end()) return FALSE;
  // A class still used by a window stays, as on the platform.
  for (const auto& [handle, window] : Reg().windows) {
    if (window && window->cls == found->second) return FALSE;
  }
  Reg().classes.erase(found);
  return TRUE;
}
