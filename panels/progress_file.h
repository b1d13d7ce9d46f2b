// The progress file: one CR LF line per answer field, code page 1252 texts,
// in the current folder, named after the program file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/program_image.h"

inline constexpr std::size_t PROGRESS_LINE_SIZE = 260;  // 259 bytes and the terminator

// The program's file name with everything after its last "." replaced by
// "txt"; a name without "." gets ".txt" appended, and so does a name that
// would otherwise be its own progress file (a program called x.txt).
std::string ProgressFileName(const std::string& programFileName);

// The next line from `position`: bytes up to CR or LF; after a CR everything up
// to the next LF is skipped; the position ends past the LF. The line keeps at
// most 259 bytes (the rest of a longer line is skipped) and ends at its first
// zero byte. Past the end, the line is empty.
void ReadProgressLine(const std::uint8_t* data, std::size_t size, std::size_t& position,
                      char (&line)[PROGRESS_LINE_SIZE]);

// The file as read once at start: a missing, unreadable or empty file has no
// data and gives empty lines.
class ProgressReader {
 public:
  explicit ProgressReader(const std::string& path) : file_(path) {}
  bool HasData() const { return file_.IsOpen(); }
  void NextLine(char (&line)[PROGRESS_LINE_SIZE]) {
    ReadProgressLine(file_.Bytes().data(), file_.Bytes().size(), position_, line);
  }

 private:
  MappedFile file_;
  std::size_t position_ = 0;
};

// The file's bytes for these texts, each followed by CR LF.
std::string FormatProgress(const std::vector<std::string>& texts);

// Replaces the file at `path` with `content` so that it is always either the
// old file or the new one whole: the bytes go to a temporary file beside it
// (beside its target when `path` is a symbolic link, which stays a link), are
// flushed, and the temporary file is renamed over it; the file keeps its
// permissions. When the folder takes no new file but the file itself is
// writable, it is rewritten in place. False when nothing could be saved; the
// old file is then untouched.
bool WriteProgressFile(const std::string& path, std::string_view content);

// Where a save stands; tests use it to see where an interruption landed.
// Named: the temporary file got its name, just before the rename.
enum class SavePhase { TemporaryOpened, Named, Renamed };
using SavePhaseHook = void (*)(SavePhase);
void SetSavePhaseHook(SavePhaseHook hook);
