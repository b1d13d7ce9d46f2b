// GDI objects and their live counts, font mapping, system colours, icons and
// cursors, message boxes through the hook, the shell's open, string helpers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QUrl>
#include <cstring>

#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;
using ploxa::win::FontOf;
using ploxa::win::IconPixmap;
using ploxa::win::CursorOf;

namespace {

TEST(GdiTest, LiveCountsFollowCreationAndDeletionButNotStockObjects) {
  const GdiObjectCounts before = GetGdiObjectCounts();
  LOGFONTA lf{};
  lf.lfHeight = 15;
  HFONT f1 = CreateFontIndirectA(&lf);
  HFONT f2 = CreateFontIndirectA(&lf);
  HBRUSH b1 = CreateSolidBrush(RGB(1, 1, 1));
  HBRUSH b2 = CreateSolidBrush(RGB(2, 2, 2));
  HBITMAP bm = CreateCompatibleBitmap(nullptr, 8, 4);
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  GdiObjectCounts now = GetGdiObjectCounts();
  EXPECT_EQ(now.fonts - before.fonts, 2);
  EXPECT_EQ(now.brushes - before.brushes, 2);
  EXPECT_EQ(now.bitmaps - before.bitmaps, 1);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(f1), static_cast<HGDIOBJ>(f2), static_cast<HGDIOBJ>(b1),
                    static_cast<HGDIOBJ>(b2), static_cast<HGDIOBJ>(bm)}) {
    EXPECT_TRUE(DeleteObject(o));
  }
  EXPECT_TRUE(DeleteObject(stock)) << "deleting a stock object is harmless";
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(stock, sizeof back, &back), static_cast<int>(sizeof back)) << "and it still exists";
  EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), stock);
  now = GetGdiObjectCounts();
  EXPECT_EQ(now.fonts, before.fonts);
  EXPECT_EQ(now.brushes, before.brushes);
  EXPECT_EQ(now.bitmaps, before.bitmaps);
}

TEST(GdiTest, FontDescriptionsMapToQtFonts) {
  const struct {
    const char* name;
    LONG height, weight;
    BYTE italic, underline;
    const char* face;
    const char* family;  // null: the default sans, whatever fontconfig picks
    int cellHeight;      // ascent + descent for positive heights
    int pixelSize;       // for negative heights
  } cases[] = {
      {"counter font: cell height 25, Arial", 25, 400, 0, 0, "Arial", "Liberation Sans", 25, 0},
      {"title font: character height 15, bold italic, no face", -15, 700, 1, 0, "", nullptr, 0, 15},
      {"answer font: cell height 15, weight 100", 15, 100, 0, 0, "", nullptr, 15, 0},
      {"link font: character height 13, underlined", -13, 400, 0, 1, "", nullptr, 0, 13},
      {"dialog face", -11, 400, 0, 0, "MS Sans Serif", "Liberation Sans", 0, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LOGFONTA lf{};
    lf.lfHeight = c.height;
    lf.lfWeight = c.weight;
    lf.lfItalic = c.italic;
    lf.lfUnderline = c.underline;
    std::strcpy(lf.lfFaceName, c.face);
    HFONT font = CreateFontIndirectA(&lf);
    const QFont q = FontOf(font);
    if (c.family) {
      EXPECT_EQ(QFontInfo(q).family(), QString::fromLatin1(c.family));
    }
    if (c.cellHeight) {
      const QFontMetrics fm(q);
      EXPECT_NEAR(fm.ascent() + fm.descent(), c.cellHeight, 1);
    }
    if (c.pixelSize) {
      EXPECT_EQ(q.pixelSize(), c.pixelSize);
    }
    EXPECT_EQ(q.weight(), c.weight);
    EXPECT_EQ(q.italic(), c.italic != 0);
    EXPECT_EQ(q.underline(), c.underline != 0);
    DeleteObject(font);
  }
  EXPECT_EQ(FontOf(nullptr).weight(), QFont::Bold) << "no font: the bold system font";
}

TEST(GdiTest, ClassicSystemColours) {
  const struct {
    int index;
    COLORREF colour;
  } cases[] = {
      {COLOR_SCROLLBAR, RGB(212, 208, 200)}, {COLOR_3DFACE, RGB(212, 208, 200)}, {COLOR_WINDOW, RGB(255, 255, 255)},
      {COLOR_WINDOWTEXT, RGB(0, 0, 0)},     {COLOR_3DSHADOW, RGB(128, 128, 128)}, {COLOR_HIGHLIGHT, RGB(10, 36, 106)},
  };
  for (const auto& c : cases) EXPECT_EQ(GetSysColor(c.index), c.colour) << c.index;
}

TEST(GdiTest, DcCallsOnAStaleDcFail) {
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  EXPECT_EQ(SetTextColor(dc, 0), 0xFFFFFFFFu);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
}

TEST(GdiTest, IconsAndCursors) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_TRUE(LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_TRUE(LoadIconA(nullptr, IDI_QUESTION));
  EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(1004)), LoadIconA(self, MAKEINTRESOURCEA(1004))) << "shared";
  EXPECT_FALSE(LoadIconA(self, MAKEINTRESOURCEA(9999)));
  EXPECT_FALSE(LoadCursorA(self, MAKEINTRESOURCEA(9999)));
  const struct {
    int id;
    QPoint inside;
  } icons[] = {{1004, {14, 16}}, {1005, {16, 16}}};
  for (const auto& c : icons) {
    SCOPED_TRACE(c.id);
    const QImage image = IconPixmap(LoadIconA(self, MAKEINTRESOURCEA(static_cast<WORD>(c.id)))).toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixelColor(c.inside), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(192, 192, 192));
    int colours = 0;
    QColor seen[2];
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const QColor p = image.pixelColor(x, y);
        if ((colours < 1 || p != seen[0]) && (colours < 2 || p != seen[1])) {
          if (colours < 2) seen[colours] = p;
          ++colours;
        }
      }
    }
    EXPECT_EQ(colours, 2) << "two colours";
  }
  const QCursor hand = CursorOf(LoadCursorA(self, MAKEINTRESOURCEA(1003)));
  EXPECT_EQ(hand.hotSpot(), QPoint(6, 0));
  EXPECT_EQ(CursorOf(LoadCursorA(nullptr, IDC_ARROW)).shape(), Qt::ArrowCursor);
}

TEST(GdiTest, MessageBoxesGoToTheHookWithCaptionTextAndFlags) {
  struct Seen {
    HWND owner;
    std::string text, caption;
    UINT type;
  };
  std::vector<Seen> seen;
  SetMessageBoxHook([&](HWND owner, std::string_view text, std::string_view caption, UINT type) {
    seen.push_back({owner, std::string(text), std::string(caption), type});
    return IDOK;
  });
  const struct {
    const char* text;
    const char* caption;
    UINT type;
  } cases[] = {
      {"Erreur dans la cr\xE9" "ation de la fen\xEAtre principale", "Ploxa", MB_ICONINFORMATION},
      {"Image introuvable", "Information", MB_OK},
      {"M\xE9moire insuffisante", "information", MB_ICONERROR},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageBoxA(nullptr, c.text, c.caption, c.type), IDOK);
  SetMessageBoxHook({});
  ASSERT_EQ(seen.size(), std::size(cases));
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].owner, nullptr);
    EXPECT_EQ(seen[i].text, cases[i].text);
    EXPECT_EQ(seen[i].caption, cases[i].caption);
    EXPECT_EQ(seen[i].type, cases[i].type);
  }
}

TEST(GdiTest, WithoutAHookMessageBoxesAreRealModalBoxes) {
  GetDesktopWindow();
  const struct {
    UINT type;
    QMessageBox::Icon icon;
  } cases[] = {{MB_ICONERROR, QMessageBox::Critical}, {MB_ICONINFORMATION, QMessageBox::Information}, {MB_OK, QMessageBox::NoIcon}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    bool modal = false;
    // Answers the box as a person would, once it is on screen.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        modal = box->isModal();
        box->button(QMessageBox::Ok)->click();
      }
    });
    closer.start(10);
    EXPECT_EQ(MessageBoxA(nullptr, "Fichier \xE9" "crit", "Ploxa", c.type), IDOK);
    EXPECT_EQ(title, QStringLiteral("Ploxa"));
    EXPECT_EQ(text, QString::fromUtf16(u"Fichier écrit"));
    EXPECT_EQ(icon, c.icon);
    EXPECT_TRUE(modal);
  }
}

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

TEST(GdiTest, ShellOpenHandsTheLinkToTheDesktop) {
  GetDesktopWindow();  // the application exists
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("ploxatest"), &catcher, "open");
  const auto result = reinterpret_cast<ULONG_PTR>(
      ShellExecuteA(nullptr, "open", "ploxatest://quiz/caf\xE9", nullptr, nullptr, SW_SHOWNORMAL));
  EXPECT_GT(result, 32u);
  EXPECT_LE(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "edit", "ploxatest://x", nullptr, nullptr, 1)), 32u);
  QDesktopServices::unsetUrlHandler(QStringLiteral("ploxatest"));
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0].toString(), QString::fromUtf16(u"ploxatest://quiz/café"));
}

TEST(GdiTest, StringHelpers) {
  char buffer[1100];
  const struct {
    const char* name;
    std::function<int()> call;
    const char* expected;
  } formats[] = {
      {"counter", [&] { return wsprintfA(buffer, " %d / %d", 1, 30); }, " 1 / 30"},
      {"clip name", [&] { return wsprintfA(buffer, "%sploxa%d.%s", "", 3, "mp3"); }, "ploxa3.mp3"},
      {"number label", [&] { return wsprintfA(buffer, "%d.", 12); }, "12."},
  };
  for (const auto& f : formats) {
    EXPECT_EQ(f.call(), static_cast<int>(std::strlen(f.expected))) << f.name;
    EXPECT_STREQ(buffer, f.expected) << f.name;
  }
  const std::string longText(2000, 'x');
  EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1023) << "the 1024-byte limit";
  EXPECT_EQ(std::strlen(buffer), 1023u);
  const struct {
    const char *a, *b;
    bool equal;
  } compares[] = {{"BRAVO", "BRAVO", true}, {"bravo", "BRAVO", false}, {"\xE9t\xE9", "\xC9T\xC9", false},
                  {"", nullptr, true},      {"?", "? ", false}};
  for (const auto& c : compares) EXPECT_EQ(lstrcmpA(c.a, c.b) == 0, c.equal) << c.a;
  char dest[16];
  lstrcpyA(dest, "Par");
  lstrcatA(dest, " :");
  EXPECT_STREQ(dest, "Par :");
  EXPECT_EQ(lstrlenA(dest), 5);
}

}  // namespace

#include "gdi_test.moc"
