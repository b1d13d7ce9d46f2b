// The media player component on Qt Multimedia: a QMediaPlayer with its audio
// output, and a QVideoSink whose frames a surface widget paints over the host
// window's client area.
#include "platform/media_player.h"

#include <QAudioOutput>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QMediaPlayer>
#include <QPainter>
#include <QPointer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QWidget>
#include <cstring>

#include "platform/win_internal.h"

namespace {

bool playersAvailable = true;

// Covers the host's client area and paints the latest frame, fitted and centred
// on black. Hidden while there is no frame, so the host shows through.
class VideoSurface : public QWidget {
 public:
  explicit VideoSurface(QWidget* client) : QWidget(client) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(client->rect());
    client->installEventFilter(this);
    hide();
  }

  void ShowFrame(const QVideoFrame& frame) {
    if (!frame.isValid()) return;
    image_ = frame.toImage();
    if (image_.isNull()) return;
    if (isHidden()) show();
    update();
  }

  void Clear() {
    image_ = QImage();
    hide();
  }

  int painted = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == parent() && e->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
  }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (image_.isNull()) return;
    const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, image_);
    ++painted;
  }

 private:
  QImage image_;
};

// Whether Qt Multimedia has a working backend, asked once.
bool BackendAvailable() {
  static const bool available = QMediaPlayer().isAvailable();
  return available;
}

}  // namespace

// What plays: made on the first Open, so that a quiz of many clips does not pay
// for a player per question at start-up. The sink and the output outlive the
// player that uses them.
struct MediaEngine {
  QVideoSink sink;
  QAudioOutput audio;
  QMediaPlayer player;
};

struct MediaPlayer::Impl {
  QPointer<VideoSurface> surface;
  std::unique_ptr<MediaEngine> engine;

  ~Impl() {
    if (engine) QObject::disconnect(&engine->sink, nullptr, nullptr, nullptr);
    if (surface) delete surface.data();
  }
};

MediaPlayer::MediaPlayer() = default;
MediaPlayer::MediaPlayer(MediaPlayer&& other) noexcept = default;
MediaPlayer& MediaPlayer::operator=(MediaPlayer&& other) noexcept = default;
MediaPlayer::~MediaPlayer() = default;

MediaPlayer MediaPlayer::Create(HWND host) {
  MediaPlayer made;
  QWidget* client = ploxa::win::ClientWidgetOf(host);
  if (client == nullptr || !playersAvailable || !BackendAvailable()) return made;
  made.impl_ = std::make_unique<Impl>();
  made.impl_->surface = new VideoSurface(client);
  return made;
}

BOOL MediaPlayer::SetUiMode(LPCSTR mode) {
  return impl_ != nullptr && mode != nullptr && std::strcmp(mode, "none") == 0 ? TRUE : FALSE;
}

BOOL MediaPlayer::Open(LPCSTR fileName) {
  // A player whose host is gone stays quiet.
  if (impl_ == nullptr || !impl_->surface || fileName == nullptr || fileName[0] == '\0') return FALSE;
  if (!impl_->engine) {
    impl_->engine = std::make_unique<MediaEngine>();
    MediaEngine& e = *impl_->engine;
    e.player.setAudioOutput(&e.audio);
    e.player.setVideoOutput(&e.sink);
    VideoSurface* surface = impl_->surface.data();
    QObject::connect(&e.sink, &QVideoSink::videoFrameChanged, surface,
                     [surface](const QVideoFrame& frame) { surface->ShowFrame(frame); });
    // The host's window is gone: the player goes quiet with it.
    QMediaPlayer* player = &e.player;
    QObject::connect(surface, &QObject::destroyed, player, [player]() { player->stop(); });
  }
  const QString name = ploxa::win::FromCp1252(fileName);
  // Clearing the source first makes the same name load again: the file under
  // it may have been written anew since.
  impl_->engine->player.setSource(QUrl());
  impl_->engine->player.setSource(QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath()));
  return TRUE;
}

void MediaPlayer::Play() {
  if (impl_ != nullptr && impl_->engine) impl_->engine->player.play();
}

void MediaPlayer::Stop() {
  if (impl_ == nullptr) return;
  // The backend's stop of a video can block for a few hundred milliseconds;
  // a player that is not playing need not be asked.
  if (impl_->engine && impl_->engine->player.playbackState() != QMediaPlayer::StoppedState) {
    impl_->engine->player.stop();
  }
  if (impl_->surface) impl_->surface->Clear();
}

MediaPlayer::State MediaPlayer::GetState() const {
  if (impl_ == nullptr || !impl_->engine) return State::Stopped;
  switch (impl_->engine->player.playbackState()) {
    case QMediaPlayer::PlayingState: return State::Playing;
    case QMediaPlayer::PausedState: return State::Paused;
    default: return State::Stopped;
  }
}

int MediaPlayer::PaintedFrames() const {
  if (impl_ == nullptr || !impl_->surface) return 0;
  return impl_->surface->painted;
}

void SetMediaPlayersAvailable(bool available) { playersAvailable = available; }
