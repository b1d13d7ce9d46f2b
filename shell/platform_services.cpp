#include "shell/platform_services.h"

#include "platform/win_api.h"
#include "quiz/appearance_set.h"

std::span<const std::uint8_t> PlatformServices::PatchResource(int id) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)), "PATCH");
  if (resource == nullptr) return {};
  const DWORD size = SizeofResource(nullptr, resource);
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  FreeResource(loaded);  // the bytes stay mapped for the whole run
  if (bytes == nullptr || size == 0) return {};
  return {bytes, size};
}

void PlatformServices::ShowMessage(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

HFONT PlatformServices::CreateFont(const FontSpec& font) {
  LOGFONTA description{};
  description.lfHeight = font.height;
  description.lfWeight = font.weight;
  description.lfItalic = font.italic ? 1 : 0;
  description.lfUnderline = font.underline ? 1 : 0;
  lstrcpyA(description.lfFaceName, font.face);
  return CreateFontIndirectA(&description);
}

HBRUSH PlatformServices::CreateSolidBrush(std::uint32_t colour) { return ::CreateSolidBrush(colour); }

void PlatformServices::DeleteFont(HFONT font) {
  if (font != nullptr) DeleteObject(font);
}

void PlatformServices::DeleteBrush(HBRUSH brush) {
  if (brush != nullptr) DeleteObject(brush);
}
