// The decoder over the public corpus: every valid PngSuite file against
// libpng, the corrupt ones against the codes they must give, and every file
// of the robustness corpus decoded or refused within a memory bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "png_reference.h"

namespace {

namespace fs = std::filesystem;
using pngtest::Picture;

std::vector<fs::path> FilesUnder(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Index of the first pixel that differs, or -1.
long FirstDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return 0;
  for (std::size_t i = 0; i < a.colours.size(); ++i) {
    if (a.colours[i] != b.colours[i]) return static_cast<long>(i);
  }
  return -1;
}

TEST(PngCorpus, ValidPngSuiteFilesMatchLibpng) {
  const auto corpus = pngtest::CorpusDir();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR is not a folder: the PngSuite corpus is missing";
  int checked = 0;
  for (const fs::path& path : FilesUnder(*corpus / "pngsuite")) {
    const std::string name = path.filename().string();
    if (path.extension() != ".png" || name[0] == 'x') continue;
    SCOPED_TRACE(name);
    const auto file = pngtest::ReadFile(path);
    const auto reference = pngtest::DecodeWithLibpng(file);
    ASSERT_TRUE(reference.has_value());
    const auto ours = pngtest::DecodeWithPloxa(file);
    ASSERT_EQ(ours.loadError, 0u);
    ASSERT_EQ(ours.decodeError, 0u);
    ASSERT_TRUE(ours.rendered);
    const Picture picture = pngtest::ColoursOf(ours.layout, ours.bits);
    const long diff = FirstDifference(picture, *reference);
    EXPECT_EQ(diff, -1) << "first different pixel " << diff << " of " << picture.width << "x" << picture.height;
    ++checked;
  }
  EXPECT_EQ(checked, 161);
}

// The corrupt PngSuite files. Those whose only fault is a CRC decode, as the
// decoder does not check CRCs.
struct CorruptCase {
  const char* file;
  std::uint32_t loadError;
  std::uint32_t decodeError;
};
constexpr CorruptCase kCorruptCases[] = {
    {"xc1n0g08.png", PNG_ERROR_UNSUPPORTED, 0},  // colour type 1
    {"xc9n2c08.png", PNG_ERROR_UNSUPPORTED, 0},  // colour type 9
    {"xcrn0g04.png", PNG_ERROR_NOT_PNG, 0},      // signature with CR for LF
    {"xcsn0g01.png", 0, 0},                      // IDAT CRC only
    {"xd0n2c08.png", PNG_ERROR_UNSUPPORTED, 0},  // bit depth 0
    {"xd3n2c08.png", PNG_ERROR_UNSUPPORTED, 0},  // bit depth 3
    {"xd9n2c08.png", PNG_ERROR_UNSUPPORTED, 0},  // bit depth 99
    {"xdtn0g01.png", PNG_ERROR_NOT_PNG, 0},      // no IDAT
    {"xhdn0g08.png", 0, 0},                      // IHDR CRC only
    {"xlfn0g04.png", PNG_ERROR_NOT_PNG, 0},      // signature with CR LF for LF
    {"xs1n0g01.png", PNG_ERROR_NOT_PNG, 0},      // signature bytes
    {"xs2n0g01.png", PNG_ERROR_NOT_PNG, 0},
    {"xs4n0g01.png", PNG_ERROR_NOT_PNG, 0},
    {"xs7n0g01.png", PNG_ERROR_NOT_PNG, 0},
};

TEST(PngCorpus, CorruptPngSuiteFilesGiveTheirCodes) {
  const auto corpus = pngtest::CorpusDir();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR is not a folder: the PngSuite corpus is missing";
  int corruptFiles = 0;
  for (const fs::path& path : FilesUnder(*corpus / "pngsuite")) {
    if (path.filename().string()[0] == 'x') ++corruptFiles;
  }
  EXPECT_EQ(corruptFiles, static_cast<int>(std::size(kCorruptCases)));

  for (const CorruptCase& c : kCorruptCases) {
    SCOPED_TRACE(c.file);
    const auto file = pngtest::ReadFile(*corpus / "pngsuite" / c.file);
    ASSERT_FALSE(file.empty());
    const auto ours = pngtest::DecodeWithPloxa(file);
    EXPECT_EQ(ours.loadError, c.loadError);
    EXPECT_EQ(ours.decodeError, c.decodeError);
    if (c.loadError == 0 && c.decodeError == 0) {
      ASSERT_TRUE(ours.rendered);
      const auto reference = pngtest::DecodeWithLibpng(file);
      ASSERT_TRUE(reference.has_value());
      EXPECT_EQ(FirstDifference(pngtest::ColoursOf(ours.layout, ours.bits), *reference), -1);
    }
  }
}

// Counts the decoder's memory through its heap hook, with guard bytes after
// every block to catch writes just past it.
struct CountingHeap {
  static constexpr std::size_t kGuard = 32;
  static constexpr std::uint8_t kGuardByte = 0xA5;
  std::map<void*, std::size_t> blocks;
  std::size_t current = 0;
  std::size_t peak = 0;

  static void* Allocate(void* context, std::size_t size) {
    auto& heap = *static_cast<CountingHeap*>(context);
    auto* block = static_cast<std::uint8_t*>(std::malloc(size + kGuard));
    if (block == nullptr) return nullptr;
    std::memset(block + size, kGuardByte, kGuard);
    heap.blocks[block] = size;
    heap.current += size;
    heap.peak = std::max(heap.peak, heap.current);
    return block;
  }
  static void Release(void* context, void* block) {
    auto& heap = *static_cast<CountingHeap*>(context);
    const auto it = heap.blocks.find(block);
    ASSERT_NE(it, heap.blocks.end()) << "freeing a block the decoder did not allocate";
    const auto* guard = static_cast<std::uint8_t*>(block) + it->second;
    for (std::size_t i = 0; i < kGuard; ++i) ASSERT_EQ(guard[i], kGuardByte) << "written past a block";
    heap.current -= it->second;
    heap.blocks.erase(it);
    std::free(block);
  }
};

class PngRobustness : public ::testing::Test {
 protected:
  void SetUp() override {
    const PngHeap hook{CountingHeap::Allocate, CountingHeap::Release, &heap_};
    PngSetHeap(&hook);
  }
  void TearDown() override { PngSetHeap(nullptr); }
  CountingHeap heap_;
};

// What some files of the robustness corpus must give; every other one only
// has to end in a result or an error within the memory bound.
struct RobustnessCase {
  const char* file;
  std::uint32_t loadError;
  std::uint32_t decodeError;
};
constexpr RobustnessCase kRobustnessCases[] = {
    {"go-reader_test/trailing_zero_length_idat_VALID.png", 0, 0},
    {"go-reader_test/trailing_nonempty_idat_after_stream_end.png", 0, 0},
    {"go-reader_test/dim_overflow_7ffffffe_x_7ffffffe_rgba.png", PNG_ERROR_UNSUPPORTED, 0},
    {"go-reader_test/dim_04000000_x_1_rgba.png", PNG_ERROR_UNSUPPORTED, 0},
    {"go-reader_test/incomplete_idat_on_row_boundary.png", 0, PNG_ERROR_NOT_PNG},
    {"libpng-crashers/badcrc.png", 0, 0},
    {"libpng-crashers/badadler.png", 0, 0},
    {"libpng-crashers/huge_IDAT.png", PNG_ERROR_NOT_PNG, 0},
    {"libspng-crashers/zero_width.png", PNG_ERROR_NOT_PNG, 0},
    {"libspng-crashers/missing_plte.png", PNG_ERROR_NOT_PNG, 0},
    {"stb-iphone-cgbi/iphone_basi0g01.png", PNG_ERROR_NOT_PNG, 0},
    {"wuffs/hippopotamus.regular.png", 0, 0},
    {"wuffs/hippopotamus.interlaced.png", 0, 0},
    {"wuffs/bricks-color.png", 0, 0},
};

TEST_F(PngRobustness, EveryFileEndsWithinTheMemoryBound) {
  const auto corpus = pngtest::CorpusDir();
  if (!corpus) GTEST_SKIP() << "PLOXA_CORPUS_DIR is not a folder: the robustness corpus is missing";
  std::map<std::string, const RobustnessCase*> expected;
  for (const RobustnessCase& c : kRobustnessCases) expected[c.file] = &c;

  int files = 0, decoded = 0, comparedWithLibpng = 0;
  for (const fs::path& path : FilesUnder(*corpus / "robustness")) {
    const std::string name = fs::relative(path, *corpus / "robustness").string();
    SCOPED_TRACE(name);
    const auto file = pngtest::ReadFile(path);
    if (file.empty()) continue;
    ++files;

    heap_.peak = 0;
    PngInfo info;
    PngInit(info);
    std::uint32_t loadError = 0, decodeError = 0;
    std::uint64_t decodedSize = 0;
    if (!PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size()))) {
      loadError = info.error;
      EXPECT_NE(loadError, 0u);
    } else {
      decodedSize = PngDecodedSize(info);
      if (!PngDecode(info)) {
        decodeError = info.error;
        EXPECT_NE(decodeError, 0u);
      }
    }
    if (loadError == 0 && decodeError == 0) {
      ++decoded;
      DibLayout layout;
      std::uint32_t code = 0;
      ASSERT_TRUE(PngFillBitmapInfo(info, layout, PNG_OUTPUT_NATURAL, code));
      std::vector<std::uint8_t> bits(PngBitmapBytes(layout));
      if (PngRenderRows(info, bits.data(), bits.size(), code)) {
        const auto reference = pngtest::DecodeWithLibpng(file);
        if (reference) {
          EXPECT_EQ(FirstDifference(pngtest::ColoursOf(layout, bits), *reference), -1);
          ++comparedWithLibpng;
        }
      }
    }
    PngRelease(info);
    EXPECT_EQ(heap_.current, 0u) << "the decoder kept memory after PngRelease";
    EXPECT_LE(heap_.peak, decodedSize + (1u << 20));

    const auto it = expected.find(name);
    if (it != expected.end()) {
      EXPECT_EQ(loadError, it->second->loadError);
      EXPECT_EQ(decodeError, it->second->decodeError);
      expected.erase(it);
    }
  }
  for (const auto& [missing, c] : expected) ADD_FAILURE() << "missing from the corpus: " << missing;
  EXPECT_GT(files, 200);
  EXPECT_GT(comparedWithLibpng, 5);
  std::printf("robustness: %d files, %d decoded, %d compared with libpng\n", files, decoded, comparedWithLibpng);
}

}  // namespace
