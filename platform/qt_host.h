// The Qt widgets that host each window: a frame widget for the outer rectangle
// (border and scroll bars drawn by the layer) and a client widget inside it.
// They only forward: painting and input go through the layer's messages.
#pragma once

#include <QTimer>
#include <QWidget>

#include "platform/win_types.h"

namespace ploxa::win {

class FrameWidget : public QWidget {
 public:
  FrameWidget(HWND hwnd, QWidget* parent);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  HWND hwnd_;
  WPARAM trackingHit_ = 0;
  QPoint trackingPoint_;  // screen coordinates of the layer
  QTimer repeat_;         // a held arrow or page area repeats
};

class ClientWidget : public QWidget {
 public:
  ClientWidget(HWND hwnd, QWidget* parent);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  HWND hwnd_;
};

// True while a Qt event handler of a host widget runs: widgets are then deleted later.
bool InQtEvent();
void DisposeWidget(QWidget* widget);

}  // namespace ploxa::win
