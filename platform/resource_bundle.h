// The resource bundle that follows the player's executable in a program file.
//
//   [data of every resource][directory: count × 32-byte entries][32-byte trailer]
//
// Trailer, at the very end of the file (little-endian):
//   0  magic "PLXRSRC1"      8 bytes
//   8  format version       u32 (1)
//   12 entry count          u32
//   16 directory offset     u32, from the start of the bundle
//   20 bundle size          u32, trailer included; the bundle starts at file size − this
//   24 reserved             8 bytes, zero
// Entry:
//   0  type name            16 bytes, zero-padded ("PATCH", "IMG"); empty for a numeric type
//   16 type number          u32 (RT_RCDATA = 10, ...); 0 for a named type
//   20 id                   u32, 0 to 65535
//   24 data offset          u32, from the start of the bundle
//   28 data size            u32
// Resource data lies before the directory, each entry's bytes apart from every
// other's. A file that breaks any of these rules has no bundle at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bundle {

inline constexpr char kMagic[8] = {'P', 'L', 'X', 'R', 'S', 'R', 'C', '1'};
inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kTrailerSize = 32;
inline constexpr std::size_t kEntrySize = 32;
inline constexpr std::size_t kTypeNameSize = 16;  // 15 characters and the terminator
inline constexpr std::uint32_t kMaxEntries = 65536;

// A resource type is a name or a number, never both.
struct ResourceType {
  std::string name;
  std::uint32_t number = 0;

  static ResourceType Named(std::string typeName) { return {std::move(typeName), 0}; }
  static ResourceType Numbered(std::uint32_t typeNumber) { return {{}, typeNumber}; }
  bool Matches(const ResourceType& other) const;  // names compare without case
  std::string Describe() const;                   // "PATCH" or "#10"
};

struct Entry {
  ResourceType type;
  std::uint32_t id = 0;
  std::size_t offset = 0;  // from the start of the file the bundle was found in
  std::size_t size = 0;
};

struct Bundle {
  std::size_t start = 0;  // where the bundle begins: the length of the executable before it
  std::vector<Entry> entries;

  const Entry* Find(const ResourceType& type, std::uint32_t id) const;
};

// Finds and checks the bundle at the end of a file. No bundle, or a damaged one
// (cut short, offsets or sizes outside it, overlapping entries, an absurd count,
// a bad name): nullopt.
std::optional<Bundle> ReadBundle(std::span<const std::uint8_t> file);

// Collects resources and lays out a bundle to append to an executable.
class BundleWriter {
 public:
  // Returns false, adding nothing, for a type name longer than 15 characters, an
  // empty name with number 0, an id above 65535, a resource above 1 GiB or a
  // duplicate (type, id).
  bool Add(const ResourceType& type, std::uint32_t id, std::span<const std::uint8_t> bytes);
  std::size_t Count() const { return resources_.size(); }
  // The bundle's bytes: entries in the order they were added.
  std::vector<std::uint8_t> Finish() const;

 private:
  struct Pending {
    ResourceType type;
    std::uint32_t id;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Pending> resources_;
};

}  // namespace bundle
