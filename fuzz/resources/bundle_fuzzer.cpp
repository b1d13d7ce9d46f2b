// Any bytes as a program file: the bundle reader must accept only bundles
// whose every resource lies inside the file, before the directory, apart
// from the others.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/resource_bundle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that ASan catches any read past the end.
  const std::vector<std::uint8_t> file(data, data + size);
  const auto found = bundle::ReadBundle(file);
  if (!found) return 0;
  if (found->start > file.size()) std::abort();
  unsigned sum = 0;
  for (const bundle::Entry& e : found->entries) {
    if (e.offset < found->start || e.offset + e.size > file.size() - bundle::kTrailerSize) std::abort();
    for (std::size_t i = 0; i < e.size; ++i) sum += file[e.offset + i];
  }
  return static_cast<int>(sum & 0);
}
