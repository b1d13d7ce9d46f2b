// The quiz content's services on the platform layer.
#pragma once

#include "quiz/quiz_services.h"

class PlatformServices : public QuizServices {
 public:
  std::span<const std::uint8_t> PatchResource(int id) override;
  void ShowMessage(const char* text, const char* caption) override;
  HFONT CreateFont(const FontSpec& font) override;
  HBRUSH CreateSolidBrush(std::uint32_t colour) override;
  void DeleteFont(HFONT font) override;
  void DeleteBrush(HBRUSH brush) override;
};
