// Not part of the platform: the media player component that stands in for the
// platform's player control. It is built on Qt Multimedia: sound goes to the
// default audio output (a silent sink when the machine has none, so playback
// still runs its course), and video frames are painted into the host window,
// scaled to fit it with their shape kept and black bars around them.
//
// A player is hosted in a window when it is made. Its picture covers the host's
// client area from the first frame until it is stopped; before that, and after
// a stop, the host shows as it was. Mouse input goes through to the host.
// Destroying the host stops the player; the player itself lives on (empty) until
// its owner lets it go, which must happen before the Qt application ends.
#pragma once

#include <memory>

#include "platform/win_types.h"

class MediaPlayer {
 public:
  enum class State { Stopped, Playing, Paused };

  // An empty player: every call is a harmless no-op.
  MediaPlayer();
  MediaPlayer(MediaPlayer&& other) noexcept;
  MediaPlayer& operator=(MediaPlayer&& other) noexcept;
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;
  ~MediaPlayer();

  // A player hosted in `host`; empty when the host is not a live window, when
  // the build has no Qt Multimedia, when Qt Multimedia has no working backend,
  // or while SetMediaPlayersAvailable(false) holds.
  static MediaPlayer Create(HWND host);
  explicit operator bool() const { return impl_ != nullptr; }

  // "none": only the video area shows. The component has no controls of its own
  // to show, so "none" is the only mode; any other is refused (FALSE).
  BOOL SetUiMode(LPCSTR mode);
  // Loads a file by name (code page 1252; relative names from the current
  // folder). The file is read when playback starts, so a file written again
  // under the same name is read afresh. A missing or unreadable file plays
  // nothing and reports nothing. FALSE for an empty player, an empty name or a
  // player whose host is gone.
  BOOL Open(LPCSTR fileName);
  // Plays from the current position (the start after Open or Stop); returns at once.
  void Play();
  // Stops and goes back to the start; the host shows as before the first frame.
  // Stopping a video can take a few hundred milliseconds.
  void Stop();

  // Not part of the platform, for tests: what the player is doing now, and the
  // frames it has painted into its host since it was made.
  State GetState() const;
  int PaintedFrames() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Not part of the platform, for tests: while false, Create gives empty players,
// as when the platform's player is not installed.
void SetMediaPlayersAvailable(bool available);
