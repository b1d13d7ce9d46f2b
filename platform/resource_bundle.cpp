#include "platform/resource_bundle.h"

#include <algorithm>
#include <cstring>

namespace bundle {
namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

void WriteU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

constexpr std::uint32_t kMaxResourceSize = 1u << 30;
constexpr std::uint32_t kMaxId = 0xFFFF;

}  // namespace

bool ResourceType::Matches(const ResourceType& other) const {
  if (name.empty() != other.name.empty()) return false;
  return name.empty() ? number == other.number : EqualNoCase(name, other.name);
}

std::string ResourceType::Describe() const { return name.empty() ? "#" + std::to_string(number) : name; }

const Entry* Bundle::Find(const ResourceType& type, std::uint32_t id) const {
  for (const Entry& entry : entries) {
    if (entry.id == id && entry.type.Matches(type)) return &entry;
  }
  return nullptr;
}

std::optional<Bundle> ReadBundle(std::span<const std::uint8_t> file) {
  if (file.size() < kTrailerSize) return std::nullopt;
  const std::uint8_t* trailer = file.data() + file.size() - kTrailerSize;
  if (std::memcmp(trailer, kMagic, sizeof kMagic) != 0) return std::nullopt;
  if (ReadU32(trailer + 8) != kFormatVersion) return std::nullopt;
  const std::uint32_t count = ReadU32(trailer + 12);
  const std::uint32_t directoryOffset = ReadU32(trailer + 16);
  const std::uint32_t bundleSize = ReadU32(trailer + 20);
  if (count > kMaxEntries) return std::nullopt;
  if (bundleSize < kTrailerSize || bundleSize > file.size()) return std::nullopt;
  // The directory sits right before the trailer; 64-bit sums cannot wrap here.
  const std::uint64_t directoryEnd = std::uint64_t{directoryOffset} + std::uint64_t{count} * kEntrySize;
  if (directoryEnd != bundleSize - kTrailerSize) return std::nullopt;

  Bundle result;
  result.start = file.size() - bundleSize;
  result.entries.reserve(count);
  const std::uint8_t* directory = file.data() + result.start + directoryOffset;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* raw = directory + std::size_t{i} * kEntrySize;
    const char* rawName = reinterpret_cast<const char*>(raw);
    const std::size_t nameLength = strnlen(rawName, kTypeNameSize);
    if (nameLength == kTypeNameSize) return std::nullopt;  // no terminator
    Entry entry;
    entry.type.name.assign(rawName, nameLength);
    entry.type.number = ReadU32(raw + 16);
    entry.id = ReadU32(raw + 20);
    const std::uint32_t offset = ReadU32(raw + 24);
    const std::uint32_t size = ReadU32(raw + 28);
    if (entry.type.name.empty() == (entry.type.number == 0)) return std::nullopt;
    if (entry.id > kMaxId) return std::nullopt;
    if (std::uint64_t{offset} + size > directoryOffset) return std::nullopt;
    entry.offset = result.start + offset;
    entry.size = size;
    result.entries.push_back(std::move(entry));
  }

  // No two resources may share bytes.
  std::vector<const Entry*> byOffset;
  byOffset.reserve(result.entries.size());
  for (const Entry& e : result.entries) {
    if (e.size > 0) byOffset.push_back(&e);
  }
  std::sort(byOffset.begin(), byOffset.end(), [](const Entry* a, const Entry* b) { return a->offset < b->offset; });
  for (std::size_t i = 1; i < byOffset.size(); ++i) {
    if (byOffset[i - 1]->offset + byOffset[i - 1]->size > byOffset[i]->offset) return std::nullopt;
  }
  return result;
}

bool BundleWriter::Add(const ResourceType& type, std::uint32_t id, std::span<const std::uint8_t> bytes) {
  if (type.name.size() >= kTypeNameSize) return false;
  if (type.name.find('\0') != std::string::npos) return false;
  if (type.name.empty() == (type.number == 0)) return false;
  if (id > kMaxId || bytes.size() > kMaxResourceSize) return false;
  for (const Pending& p : resources_) {
    if (p.id == id && p.type.Matches(type)) return false;
  }
  resources_.push_back({type, id, {bytes.begin(), bytes.end()}});
  return true;
}

std::vector<std::uint8_t> BundleWriter::Finish() const {
  std::vector<std::uint8_t> out;
  std::vector<std::uint32_t> offsets;
  for (const Pending& p : resources_) {
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), p.bytes.begin(), p.bytes.end());
  }
  const auto directoryOffset = static_cast<std::uint32_t>(out.size());
  for (std::size_t i = 0; i < resources_.size(); ++i) {
    const Pending& p = resources_[i];
    char name[kTypeNameSize] = {};
    std::memcpy(name, p.type.name.data(), p.type.name.size());
    out.insert(out.end(), name, name + kTypeNameSize);
    WriteU32(out, p.type.number);
    WriteU32(out, p.id);
    WriteU32(out, offsets[i]);
    WriteU32(out, static_cast<std::uint32_t>(p.bytes.size()));
  }
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  WriteU32(out, kFormatVersion);
  WriteU32(out, static_cast<std::uint32_t>(resources_.size()));
  WriteU32(out, directoryOffset);
  WriteU32(out, static_cast<std::uint32_t>(out.size() + 12));  // the trailer's remaining 12 bytes
  WriteU32(out, 0);
  WriteU32(out, 0);
  return out;
}

}  // namespace bundle
