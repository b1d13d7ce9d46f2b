// Not part of the platform: what tests and the pictures code need to see of the
// Qt side of a handle.
#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>

#include "platform/win_types.h"

namespace ploxa::win {

// The widget of a window's outer rectangle (its top-level QWidget for a top-level
// window), and the widget of its client area; null for a stale handle.
QWidget* FrameWidgetOf(HWND hwnd);
QWidget* ClientWidgetOf(HWND hwnd);
// The pixels of a bitmap; null for a stale handle.
QImage* BitmapImage(HBITMAP bitmap);
// The Qt font of a font handle (the system font for null or stale handles).
QFont FontOf(HFONT font);
// The cursor of a cursor handle.
QCursor CursorOf(HCURSOR cursor);
// The pixels of an icon handle; null pixmap for a stale handle.
QPixmap IconPixmap(HICON icon);

}  // namespace ploxa::win
