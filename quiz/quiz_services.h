// What the quiz content needs from the platform: its records, message boxes and
// the fonts and brushes of the appearance set. The shell supplies the real one;
// tests supply recording stand-ins.
#pragma once

#include <cstdint>
#include <span>

#include "quiz/gdi_handles.h"

struct FontSpec;

class QuizServices {
 public:
  virtual ~QuizServices() = default;

  // The bytes of resource "PATCH" `id` of the program file; empty when missing.
  // They stay valid for the life of the process.
  virtual std::span<const std::uint8_t> PatchResource(int id) = 0;
  // A modal message box with no owner window and only an OK button.
  virtual void ShowMessage(const char* text, const char* caption) = 0;
  virtual HFONT CreateFont(const FontSpec& font) = 0;
  virtual HBRUSH CreateSolidBrush(std::uint32_t colour) = 0;
  // Deleting a null handle does nothing.
  virtual void DeleteFont(HFONT font) = 0;
  virtual void DeleteBrush(HBRUSH brush) = 0;
};
