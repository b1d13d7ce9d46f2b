// FindResourceA and friends over the bundle at the end of the program file.
#include <unistd.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_image.h"
#include "platform/resource_bundle.h"
#include "platform/win_resources.h"

namespace {

// One record per resource found; HRSRC is its index + 1, HGLOBAL its bytes.
struct ResourceRecord {
  bundle::ResourceType type;
  std::uint32_t id;
  const std::uint8_t* bytes;
  std::size_t size;
};

struct BuiltinResource {
  bundle::ResourceType type;
  std::uint32_t id;
  const void* bytes;
  DWORD size;
};

class ProgramResources {
 public:
  static ProgramResources& Instance() {
    static ProgramResources instance;
    return instance;
  }

  void UseFile(const std::string& path) {
    override_ = path;
    loaded_ = false;
    records_.clear();
    image_ = MappedFile();
  }

  const std::string& Path() {
    if (!override_.empty()) return override_;
    if (selfPath_.empty()) selfPath_ = ReadSelfPath();
    return selfPath_;
  }

  HRSRC Find(const bundle::ResourceType& type, std::uint32_t id) {
    Load();
    for (std::size_t i = 0; i < records_.size(); ++i) {
      if (records_[i].id == id && records_[i].type.Matches(type)) return HandleOf(i);
    }
    for (const BuiltinResource& b : builtins_) {
      if (b.id == id && b.type.Matches(type)) {
        records_.push_back({b.type, b.id, static_cast<const std::uint8_t*>(b.bytes), b.size});
        return HandleOf(records_.size() - 1);
      }
    }
    return nullptr;
  }

  const ResourceRecord* Record(HRSRC handle) const {
    const auto index = reinterpret_cast<std::uintptr_t>(handle);
    if (index == 0 || index > records_.size()) return nullptr;
    return &records_[index - 1];
  }

  void AddBuiltin(bundle::ResourceType type, std::uint32_t id, const void* bytes, DWORD size) {
    builtins_.push_back({std::move(type), id, bytes, size});
  }

 private:
  static HRSRC HandleOf(std::size_t index) { return reinterpret_cast<HRSRC>(static_cast<std::uintptr_t>(index + 1)); }

  static std::string ReadSelfPath() {
    std::vector<char> buffer(4096);
    for (;;) {
      const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) return {};
      if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
      buffer.resize(buffer.size() * 2);
    }
  }

  // Maps the program file once; a file without a sound bundle serves only built-ins.
  void Load() {
    if (loaded_) return;
    loaded_ = true;
    image_ = MappedFile(override_.empty() ? std::string("/proc/self/exe") : override_);
    const std::optional<bundle::Bundle> found = bundle::ReadBundle(image_.Bytes());
    if (!found) return;
    for (const bundle::Entry& e : found->entries) {
      records_.push_back({e.type, e.id, image_.Bytes().data() + e.offset, e.size});
    }
  }

  std::string override_;
  std::string selfPath_;
  bool loaded_ = false;
  MappedFile image_;
  std::vector<ResourceRecord> records_;
  std::vector<BuiltinResource> builtins_;
};

bundle::ResourceType TypeOf(LPCSTR type) {
  if (IS_INTRESOURCE(type)) return bundle::ResourceType::Numbered(LOWORD(reinterpret_cast<ULONG_PTR>(type)));
  return bundle::ResourceType::Named(type);
}

// The one module there is: the program itself.
HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000)); }

bool IsProgramModule(HMODULE module) { return module == nullptr || module == ProgramModule(); }

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!IsProgramModule(module) || type == nullptr || !IS_INTRESOURCE(name)) return nullptr;
  if (IS_INTRESOURCE(type) && reinterpret_cast<ULONG_PTR>(type) == 0) return nullptr;
  return ProgramResources::Instance().Find(TypeOf(type), LOWORD(reinterpret_cast<ULONG_PTR>(name)));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (!IsProgramModule(module)) return nullptr;
  const ResourceRecord* record = ProgramResources::Instance().Record(resource);
  if (record == nullptr) return nullptr;
  // A resource of no bytes still loads: it points at a valid, empty run.
  static const std::uint8_t kEmpty = 0;
  return const_cast<std::uint8_t*>(record->size > 0 ? record->bytes : &kEmpty);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  if (!IsProgramModule(module)) return 0;
  const ResourceRecord* record = ProgramResources::Instance().Record(resource);
  return record == nullptr ? 0 : static_cast<DWORD>(record->size);
}

LPVOID LockResource(HGLOBAL global) { return global; }

BOOL FreeResource(HGLOBAL) { return FALSE; }

HMODULE GetModuleHandleA(LPCSTR moduleName) { return moduleName == nullptr ? ProgramModule() : nullptr; }

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (!IsProgramModule(module) || buffer == nullptr || size == 0) return 0;
  const std::string& path = ProgramResources::Instance().Path();
  if (path.empty()) {
    buffer[0] = '\0';
    return 0;
  }
  const std::size_t n = std::min<std::size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

void SetProgramFileForResources(const char* path) {
  ProgramResources::Instance().UseFile(path == nullptr ? std::string() : std::string(path));
}

void AddBuiltinResource(LPCSTR type, WORD id, const void* bytes, DWORD size) {
  ProgramResources::Instance().AddBuiltin(TypeOf(type), id, bytes, size);
}
