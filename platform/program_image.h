// A read-only mapping of a whole file, released when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class MappedFile {
 public:
  MappedFile() = default;
  explicit MappedFile(const std::string& path);  // empty on any failure
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }
  bool IsOpen() const { return data_ != nullptr; }

 private:
  void Release();
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};
