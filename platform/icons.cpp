// System and built-in icons and cursors, and the player's built-in dialog templates.
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <array>
#include <map>
#include <vector>

#include "platform/win_internal.h"

namespace ploxa::win {
namespace {

// Icons and cursors are shared, like the platform's LoadIcon results: never deleted.
struct IconObject {
  QImage image;
  QPoint hotSpot;
  std::optional<Qt::CursorShape> shape;
};

std::unordered_map<ULONG_PTR, IconObject>& Icons() {
  static auto* icons = new std::unordered_map<ULONG_PTR, IconObject>;
  return *icons;
}

HICON Shared(const std::string& key, const std::function<IconObject()>& make) {
  static auto* byKey = new std::map<std::string, HICON>;
  auto it = byKey->find(key);
  if (it != byKey->end()) return it->second;
  EnsureApplication();
  const ULONG_PTR v = NextHandleValue();
  Icons().emplace(v, make());
  HICON h = MakeHandle<HICON>(v);
  (*byKey)[key] = h;
  return h;
}

bool IsOwnModule(HINSTANCE instance) { return instance && instance == GetModuleHandleA(nullptr); }

int IdOf(LPCSTR name) { return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1; }

QImage TwoColourIcon(const std::function<void(QPainter&)>& draw) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(QColor(192, 192, 192));  // light grey
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  draw(p);
  return image;
}

QImage ApplicationIconImage() {
  // A small window: the classic generic program icon.
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.fillRect(QRect(3, 5, 26, 22), Qt::white);
  p.fillRect(QRect(3, 5, 26, 5), QColor(10, 36, 106));
  p.setPen(Qt::black);
  p.drawRect(QRect(3, 5, 25, 21));
  return image;
}

// Dialog template bytes: style, extended style, no items, position, size, no menu,
// no class, empty title, then the 8-point font.
std::vector<std::uint8_t> EmptyDialogTemplate(DWORD style) {
  std::vector<std::uint8_t> out;
  auto word = [&](std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  word(static_cast<std::uint16_t>(style & 0xFFFF));
  word(static_cast<std::uint16_t>(style >> 16));
  word(0);
  word(0);
  word(0);  // items
  word(0);
  word(0);
  word(86);
  word(100);
  word(0);  // menu
  word(0);  // class
  word(0);  // title
  word(8);
  for (char c : std::string_view("MS Sans Serif")) word(static_cast<std::uint16_t>(c));
  word(0);
  return out;
}

}  // namespace

QImage PointingHandImage() {
  // A monochrome pointing hand; the tip of the index finger is at (6, 0).
  static const char* const kRows[] = {
      "     XX            ",
      "    X..X           ",
      "    X..X           ",
      "    X..X           ",
      "    X..X           ",
      "    X..XXX         ",
      "    X..X..XXX      ",
      "    X..X..X..XX    ",
      " XX X..X..X..X.X   ",
      "X..XX........X..X  ",
      "X...X...........X  ",
      " X..............X  ",
      "  X.............X  ",
      "  X.............X  ",
      "   X...........X   ",
      "   X...........X   ",
      "    X.........X    ",
      "    X.........X    ",
      "    XXXXXXXXXXX    ",
  };
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < static_cast<int>(std::size(kRows)); ++y) {
    for (int x = 0; kRows[y][x] != '\0'; ++x) {
      if (kRows[y][x] == 'X') image.setPixelColor(x, y, Qt::black);
      if (kRows[y][x] == '.') image.setPixelColor(x, y, Qt::white);
    }
  }
  return image;
}

// The shapes sit in the middle, so a 20-pixel button that clips the icon still shows them.
QImage PlayIconImage() {
  return TwoColourIcon([](QPainter& p) {
    const QPoint triangle[] = {{12, 9}, {12, 23}, {21, 16}};
    p.drawPolygon(triangle, 3);
  });
}

QImage StopIconImage() {
  return TwoColourIcon([](QPainter& p) { p.drawRect(QRect(11, 11, 10, 10)); });
}

void RegisterBuiltinResources() {
  static const std::vector<std::uint8_t> question = EmptyDialogTemplate(WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | DS_SETFONT);
  static const std::vector<std::uint8_t> header = EmptyDialogTemplate(WS_CHILD | WS_BORDER | DS_SETFONT);
  AddBuiltinResource(RT_DIALOG, 1001, question.data(), static_cast<DWORD>(question.size()));
  AddBuiltinResource(RT_DIALOG, 1002, header.data(), static_cast<DWORD>(header.size()));
}

QPixmap IconPixmap(HICON icon) {
  auto it = Icons().find(HandleValue(icon));
  if (it == Icons().end() || it->second.shape) return {};
  return QPixmap::fromImage(it->second.image);
}

QCursor CursorOf(HCURSOR cursor) {
  auto it = Icons().find(HandleValue(cursor));
  if (it == Icons().end()) return QCursor(Qt::ArrowCursor);
  if (it->second.shape) return QCursor(*it->second.shape);
  return QCursor(QPixmap::fromImage(it->second.image), it->second.hotSpot.x(), it->second.hotSpot.y());
}

}  // namespace ploxa::win

using namespace ploxa::win;

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  const int id = IdOf(name);
  if (!instance) {
    if (id == 32512) return Shared("app", [] { return IconObject{ApplicationIconImage(), {}, std::nullopt}; });
    if (id == 32514) {
      return Shared("question", [] {
        const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion);
        return IconObject{icon.pixmap(32, 32).toImage(), {}, std::nullopt};
      });
    }
    return nullptr;
  }
  if (!IsOwnModule(instance)) return nullptr;
  if (id == 1004) return Shared("1004", [] { return IconObject{PlayIconImage(), {}, std::nullopt}; });
  if (id == 1005) return Shared("1005", [] { return IconObject{StopIconImage(), {}, std::nullopt}; });
  return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const int id = IdOf(name);
  if (!instance) {
    if (id == 32512) return Shared("arrow", [] { return IconObject{{}, {}, Qt::ArrowCursor}; });
    return nullptr;
  }
  if (IsOwnModule(instance) && id == 1003) {
    return Shared("1003", [] { return IconObject{PointingHandImage(), {6, 0}, std::nullopt}; });
  }
  return nullptr;
}
