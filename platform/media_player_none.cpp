// The media player component of a build without Qt Multimedia: no player can
// be made, as on a machine where the platform's player is not installed.
#include "platform/media_player.h"

struct MediaPlayer::Impl {};

MediaPlayer::MediaPlayer() = default;
MediaPlayer::MediaPlayer(MediaPlayer&& other) noexcept = default;
MediaPlayer& MediaPlayer::operator=(MediaPlayer&& other) noexcept = default;
MediaPlayer::~MediaPlayer() = default;

MediaPlayer MediaPlayer::Create(HWND) { return {}; }
BOOL MediaPlayer::SetUiMode(LPCSTR) { return FALSE; }
BOOL MediaPlayer::Open(LPCSTR) { return FALSE; }
void MediaPlayer::Play() {}
void MediaPlayer::Stop() {}
MediaPlayer::State MediaPlayer::GetState() const { return State::Stopped; }
int MediaPlayer::PaintedFrames() const { return 0; }
void SetMediaPlayersAvailable(bool) {}
