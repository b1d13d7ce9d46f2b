#include "shell/program_name.h"

#include <vector>

#include "platform/win_api.h"

std::string GetProgramFileName() {
  // Grow the buffer until the whole path fits.
  std::vector<char> buffer(4096);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "ploxa";
    if (n + 1 < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  const std::string path(buffer.data());
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
