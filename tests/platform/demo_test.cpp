// The demo program's window offscreen: the same input as the Xvfb test, through
// real Qt events, and the same pixels checked on a grab.
#include <gtest/gtest.h>

#include "tests/platform/demo_window.h"
#include "tests/platform/platform_test_support.h"

using namespace ploxa::test;
using ploxa::win::FrameWidgetOf;

namespace {

// Points of the main window's client area and the colour a person sees there;
// the Xvfb test checks the same points on its screenshot.
const struct {
  const char* name;
  QPoint point;
  QColor colour;
} kPixels[] = {
    {"panel background from WM_CTLCOLORDLG", {306, 153}, QColor(128, 128, 255)},
    {"BRAVO label on its green brush", {260, 23}, QColor(0, 255, 0)},
    {"main window background: class brush COLOR_SCROLLBAR + 1", {10, 340}, QColor(212, 208, 200)},
    {"second edit: white", {227, 54}, QColor(255, 255, 255)},
    {"the check box's tick", {89, 83}, QColor(0, 0, 0)},
};

TEST(DemoTest, TypedTextsAndTheCheckBoxReadBackAndShow) {
  HWND main = nullptr;
  HWND panel = ploxa::demo::CreateDemo(GetModuleHandleA(nullptr), &main);
  ASSERT_TRUE(panel);
  ClickAt(GetDlgItem(panel, ploxa::demo::kFirstEdit), QPoint(10, 10));
  PumpMessages(panel);
  TypeText(panel, QString::fromUtf16(u"«Pâris»"), panel);
  Key(panel, QTest::Press, Qt::Key_Tab, QStringLiteral("\t"));
  PumpMessages(panel);
  Key(panel, QTest::Release, Qt::Key_Tab, QStringLiteral("\t"));
  PumpMessages(panel);
  TypeText(panel, QString::fromUtf16(u"été"), panel);
  ClickAt(GetDlgItem(panel, ploxa::demo::kCheckBox), QPoint(5, 9));
  PumpMessages(panel);
  EXPECT_EQ(ploxa::demo::DemoReport(panel), "edit1=AB50E2726973BB\nedit2=E974E9\ncheck=1\n");

  const QImage shot = FrameWidgetOf(main)->grab().toImage();
  shot.save(QStringLiteral("platform_demo_offscreen.png"));
  for (const auto& p : kPixels) EXPECT_EQ(shot.pixelColor(p.point), p.colour) << p.name;

  const GdiObjectCounts before = GetGdiObjectCounts();
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(panel));
  EXPECT_EQ(GetGdiObjectCounts().brushes, before.brushes - 2) << "the panel deleted its brushes";
}

}  // namespace
