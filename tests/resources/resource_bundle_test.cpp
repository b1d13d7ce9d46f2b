#include "platform/resource_bundle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win_resources.h"

namespace {

using bundle::ResourceType;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A fake executable followed by a bundle of three resources.
std::vector<std::uint8_t> ProgramFile() {
  std::vector<std::uint8_t> file = Bytes("\x7F" "ELF pretend executable bytes");
  bundle::BundleWriter writer;
  EXPECT_TRUE(writer.Add(ResourceType::Named("PATCH"), 104, Bytes("answers")));
  EXPECT_TRUE(writer.Add(ResourceType::Named("PATCH"), 105, Bytes("codes")));
  EXPECT_TRUE(writer.Add(ResourceType::Numbered(10), 401, Bytes("png bytes")));
  EXPECT_TRUE(writer.Add(ResourceType::Named("IMG"), 402, {}));
  const std::vector<std::uint8_t> b = writer.Finish();
  file.insert(file.end(), b.begin(), b.end());
  return file;
}

void PutU32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string Text(const std::vector<std::uint8_t>& file, const bundle::Entry* e) {
  return e == nullptr ? "<none>" : std::string(file.begin() + static_cast<long>(e->offset),
                                               file.begin() + static_cast<long>(e->offset + e->size));
}

TEST(ResourceBundle, WrittenBundleReadsBack) {
  const std::vector<std::uint8_t> file = ProgramFile();
  const auto found = bundle::ReadBundle(file);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->start, 29u);
  EXPECT_EQ(Text(file, found->Find(ResourceType::Named("PATCH"), 104)), "answers");
  EXPECT_EQ(Text(file, found->Find(ResourceType::Named("patch"), 105)), "codes") << "names compare without case";
  EXPECT_EQ(Text(file, found->Find(ResourceType::Numbered(10), 401)), "png bytes");
  EXPECT_EQ(Text(file, found->Find(ResourceType::Named("IMG"), 402)), "");
  EXPECT_EQ(found->Find(ResourceType::Named("IMG"), 401), nullptr);
  EXPECT_EQ(found->Find(ResourceType::Numbered(10), 104), nullptr);
}

TEST(ResourceBundle, WriterRefusesWhatCannotBeStored) {
  bundle::BundleWriter writer;
  EXPECT_TRUE(writer.Add(ResourceType::Named("PATCH"), 104, Bytes("x")));
  EXPECT_FALSE(writer.Add(ResourceType::Named("patch"), 104, Bytes("y"))) << "duplicate";
  EXPECT_FALSE(writer.Add(ResourceType::Named("A-NAME-TOO-LONG!"), 1, Bytes("y")));
  EXPECT_FALSE(writer.Add(ResourceType::Named(""), 1, Bytes("y")));
  EXPECT_FALSE(writer.Add(ResourceType::Numbered(10), 65536, Bytes("y")));
  EXPECT_EQ(writer.Count(), 1u);
}

TEST(ResourceBundle, DamagedBundlesHaveNoResources) {
  const std::vector<std::uint8_t> good = ProgramFile();
  const std::size_t trailer = good.size() - bundle::kTrailerSize;
  const std::size_t bundleStart = 29;
  const std::size_t directory = trailer - 4 * bundle::kEntrySize;
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  };
  const std::vector<Case> cases = {
      {"no bundle at all", [](auto& f) { f.resize(29); }},
      {"cut short by one byte", [](auto& f) { f.pop_back(); }},
      {"empty file", [](auto& f) { f.clear(); }},
      {"bad magic", [&](auto& f) { f[trailer] ^= 1; }},
      {"unknown version", [&](auto& f) { PutU32(f, trailer + 8, 2); }},
      {"absurd count", [&](auto& f) { PutU32(f, trailer + 12, 0xFFFFFFFF); }},
      {"count beyond the directory", [&](auto& f) { PutU32(f, trailer + 12, 5); }},
      {"bundle larger than the file", [&](auto& f) { PutU32(f, trailer + 20, static_cast<std::uint32_t>(f.size() + 1)); }},
      {"directory offset off", [&](auto& f) { PutU32(f, trailer + 16, 1); }},
      {"entry running into the directory",
       [&](auto& f) { PutU32(f, directory + 28, static_cast<std::uint32_t>(directory - bundleStart)); }},
      {"entry offset far outside", [&](auto& f) { PutU32(f, directory + 24, 0xFFFFFFF0); }},
      {"entry size wrapping around", [&](auto& f) { PutU32(f, directory + 28, 0xFFFFFFFF); }},
      {"entries sharing bytes", [&](auto& f) { PutU32(f, directory + bundle::kEntrySize + 24, 2); }},
      {"type name without terminator",
       [&](auto& f) { std::memset(f.data() + directory, 'A', bundle::kTypeNameSize); }},
      {"named and numbered at once", [&](auto& f) { PutU32(f, directory + 16, 10); }},
      {"id above 65535", [&](auto& f) { PutU32(f, directory + 20, 70000); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> file = good;
    c.damage(file);
    EXPECT_FALSE(bundle::ReadBundle(file).has_value());
  }
}

class ProgramResourcesTest : public ::testing::Test {
 protected:
  void Use(const std::vector<std::uint8_t>& file) {
    path_ = ::testing::TempDir() + "ploxa_resources_" + std::to_string(::getpid());
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                 static_cast<std::streamsize>(file.size()));
    SetProgramFileForResources(path_.c_str());
  }
  void TearDown() override {
    SetProgramFileForResources(nullptr);
    std::remove(path_.c_str());
  }
  static std::string Read(LPCSTR type, WORD id) {
    HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (r == nullptr) return "<none>";
    HGLOBAL g = LoadResource(nullptr, r);
    const char* p = static_cast<const char*>(LockResource(g));
    std::string s(p, SizeofResource(nullptr, r));
    FreeResource(g);
    return s;
  }
  std::string path_;
};

TEST_F(ProgramResourcesTest, ServesTheBundleThroughThePlatformCalls) {
  Use(ProgramFile());
  EXPECT_EQ(Read("PATCH", 104), "answers");
  EXPECT_EQ(Read("Patch", 105), "codes");
  EXPECT_EQ(Read(RT_RCDATA, 401), "png bytes");
  EXPECT_EQ(Read("IMG", 402), "");
  EXPECT_EQ(Read("IMG", 403), "<none>");
  EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x1234), MAKEINTRESOURCEA(104), "PATCH"), nullptr)
      << "only the program's own module has resources";
  EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(0x999)), 0u) << "stale handle";
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);

  char name[8];
  EXPECT_EQ(GetModuleFileNameA(nullptr, name, sizeof name), 7u);
  EXPECT_EQ(std::string(name), path_.substr(0, 7)) << "cut to the buffer and terminated";
}

TEST_F(ProgramResourcesTest, DamagedBundleServesOnlyBuiltins) {
  static const char kTemplate[] = "template bytes";
  AddBuiltinResource(RT_DIALOG, 1001, kTemplate, sizeof kTemplate - 1);
  std::vector<std::uint8_t> file = ProgramFile();
  file.pop_back();
  Use(file);
  EXPECT_EQ(Read("PATCH", 104), "<none>");
  EXPECT_EQ(Read(RT_DIALOG, 1001), "template bytes");
}

TEST(ProgramResources, RunningExecutableHasNoBundle) {
  SetProgramFileForResources(nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(104), "PATCH"), nullptr);
  char path[4096];
  ASSERT_GT(GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path), 0u);
  EXPECT_NE(std::string(path).find("resources_test"), std::string::npos) << path;
}

}  // namespace
