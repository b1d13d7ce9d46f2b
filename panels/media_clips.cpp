#include "panels/media_clips.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <span>

#include "panels/control_ids.h"
#include "platform/media_player.h"
#include "platform/win_api.h"
#include "quiz/clip_type.h"
#include "quiz/quiz_state.h"

namespace {

constexpr int MEDIUM_SOUND = 1;
constexpr int MEDIUM_VIDEO = 2;
constexpr int CLIP_FILE_NAME_SIZE = 260;

// One per question, filled while the question panel is built. The player
// carries its own transport controls (play, stop).
struct MediaSlot {
  HWND host = nullptr;
  MediaPlayer player;
};

MediaSlot mediaSlots[MAX_QUESTIONS + 1];  // indexed by question number from 1
int currentClip = 0;                      // question whose clip was started last
char clipFileName[CLIP_FILE_NAME_SIZE] = "";

bool MediaKind(const QuizState* state) {
  return state != nullptr && (state->quizKind == KIND_SOUND || state->quizKind == KIND_VIDEO);
}

bool ValidQuestion(int n) { return n >= 1 && n <= MAX_QUESTIONS; }

// The file takes every byte; a short or failed write is not reported, as the
// player is told to play whatever is there.
void WriteClipFile(const char* name, std::span<const std::uint8_t> bytes) {
  // A link planted under the clip's name must not make us overwrite its target.
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  ::close(fd);
}

void StopEveryPlayer() {
  for (MediaSlot& slot : mediaSlots) slot.player.Stop();
}

void PlayClip(QuizState* state, int n) {
  StopEveryPlayer();
  DeleteClipFile();
  currentClip = n;
  if (ExtractMediaClip(state, QUESTION_PICTURE_ID + n, state->quizKind - 1) != 1) return;
  MediaPlayer& player = mediaSlots[n].player;
  player.Open(clipFileName);
  player.Play();
}

void StopClip() {
  if (!ValidQuestion(currentClip) || !mediaSlots[currentClip].player) return;
  char copy[CLIP_FILE_NAME_SIZE];
  lstrcpyA(copy, clipFileName);
  mediaSlots[currentClip].player.Stop();
  if (copy[0] != '\0') ::unlink(copy);
}

}  // namespace

void StartMediaSupport(QuizState* state) {
  if (!MediaKind(state)) return;
  currentClip = 0;
  clipFileName[0] = '\0';
}

void StopMediaSupport(QuizState* state, HWND mainWindow) {
  if (!MediaKind(state)) return;
  DestroyWindow(mainWindow);
  // The players go before the Qt application does.
  for (MediaSlot& slot : mediaSlots) slot = MediaSlot{};
  currentClip = 0;
}

bool CreateClipPlayer(QuizState*, HWND cell, int n) {
  if (!ValidQuestion(n)) return false;
  MediaSlot& slot = mediaSlots[n];
  slot.host = cell;
  slot.player = MediaPlayer::Create(cell);
  if (!slot.player) return false;
  slot.player.SetUiMode("none");
  return true;
}

void HandleClipCommand(QuizState* state, HWND, WPARAM command) {
  // A click: the whole parameter is the button's id (notification 0).
  const auto id = static_cast<long long>(command);
  if (id > PLAY_BUTTON_ID && id <= PLAY_BUTTON_ID + MAX_QUESTIONS) {
    PlayClip(state, static_cast<int>(id - PLAY_BUTTON_ID));
  } else if (id > STOP_BUTTON_ID && id <= STOP_BUTTON_ID + MAX_QUESTIONS) {
    StopClip();
  }
}

int ExtractMediaClip(QuizState* state, int resourceId, int medium) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "IMG");
  if (found == nullptr) return 0;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) {
    if (medium == MEDIUM_SOUND) {
      MessageBoxA(nullptr, "Impossible de charger le fichier audio.", "Ploxa", MB_OK);
    } else if (medium == MEDIUM_VIDEO) {
      MessageBoxA(nullptr, "Impossible de charger le fichier vid\xE9" "o.", "Ploxa", MB_OK);
    }
    return 0;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (bytes == nullptr) return 0;
  const std::span<const std::uint8_t> clip(bytes, size);

  // A name that does not fit is refused rather than cut to another file's name.
  const char* folder = state != nullptr ? state->mediaFolder : "";
  char name[CLIP_FILE_NAME_SIZE];
  const int length = std::snprintf(name, sizeof name, "%sploxa%d.%s", folder, resourceId, ClipExtension(clip));
  if (length < 0 || length >= static_cast<int>(sizeof name)) return 0;
  lstrcpyA(clipFileName, name);

  WriteClipFile(clipFileName, clip);
  FreeResource(loaded);
  return 1;
}

void DeleteClipFile() {
  if (clipFileName[0] != '\0') ::unlink(clipFileName);
}

const MediaPlayer* ClipPlayer(int n) {
  if (!ValidQuestion(n) || !mediaSlots[n].player) return nullptr;
  return &mediaSlots[n].player;
}
