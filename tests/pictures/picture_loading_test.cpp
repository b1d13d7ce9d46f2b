// Picture resources to fitted bitmaps: fitting, the nibble exchange, the PNG
// fallback and the reduced JPEG decode.
#include "pictures/picture_loading.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/png_bitmap.h"
#include "platform/qt_access.h"
#include "platform/resource_bundle.h"
#include "platform/win_api.h"

// The largest single malloc request, seen by interposing malloc in builds
// without AddressSanitizer (which has its own).
#if defined(__SANITIZE_ADDRESS__)
#define PLOXA_COUNTS_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLOXA_COUNTS_MALLOC 0
#endif
#endif
#ifndef PLOXA_COUNTS_MALLOC
#define PLOXA_COUNTS_MALLOC 1
#endif

#if PLOXA_COUNTS_MALLOC
std::atomic<std::size_t> largestMalloc{0};
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* malloc(std::size_t size) noexcept {
  std::size_t seen = largestMalloc.load(std::memory_order_relaxed);
  while (size > seen && !largestMalloc.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
  return __libc_malloc(size);
}
#endif

namespace {

std::vector<std::uint8_t> Encoded(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, quality);
  return {bytes.begin(), bytes.end()};
}

// A file of the shared test corpus (Qt writes no GIF of its own).
std::vector<std::uint8_t> CorpusFile(const std::string& name) {
  const char* corpus = std::getenv("PLOXA_CORPUS_DIR");
  std::ifstream in(std::string(corpus ? corpus : "") + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QImage Filled(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// A photo-like picture: smooth gradients with some detail.
QImage Photo(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
      row[x] = qRgb(static_cast<int>(255 * fx), static_cast<int>(255 * fy),
                    static_cast<int>(128 + 100 * std::sin(12 * fx) * std::cos(9 * fy)));
    }
  }
  return image;
}

class ProgramPictures : public ::testing::Test {
 protected:
  void Use(bundle::BundleWriter& writer) {
    path_ = ::testing::TempDir() + "ploxa_pictures_" + std::to_string(::getpid());
    const std::vector<std::uint8_t> bytes = writer.Finish();
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    SetProgramFileForResources(path_.c_str());
    SetMessageBoxHook([this](HWND owner, std::string_view text, std::string_view caption, UINT type) {
      messages.push_back(std::string(caption) + ": " + std::string(text));
      EXPECT_EQ(owner, nullptr) << "picture messages have no owner";
      types.push_back(type);
      return IDOK;
    });
  }
  void TearDown() override {
    SetBitmapPixelBudget(-1);
    SetProgramFileForResources(nullptr);
    SetMessageBoxHook({});
    std::remove(path_.c_str());
  }
  static PictureDimensions Load(int id) {
    HBITMAP bitmap = LoadPicture(GetModuleHandleA(nullptr), id, "IMG", 260, 260);
    const PictureDimensions size = bitmap ? PictureSize(bitmap) : PictureDimensions{-1, -1};
    if (bitmap) DeleteObject(bitmap);
    return size;
  }
  std::vector<std::string> messages;
  std::vector<UINT> types;
  std::string path_;
};

TEST(PictureFitting, ExamplesAndNone) {
  struct Case {
    int width, height, fittedWidth, fittedHeight;
  };
  for (const Case& c : {Case{100, 50, 260, 130}, Case{520, 260, 260, 130}, Case{260, 260, 260, 260},
                        Case{300, 700, 111, 260}}) {
    const int before = GetGdiObjectCounts().bitmaps;
    HBITMAP given = CreateCompatibleBitmap(nullptr, c.width, c.height);
    HBITMAP fitted = ScaleBitmapToFit(given, 260, 260);
    ASSERT_NE(fitted, nullptr);
    EXPECT_NE(fitted, given) << "always a new bitmap";
    EXPECT_EQ(PictureSize(fitted).width, c.fittedWidth) << c.width << " x " << c.height;
    EXPECT_EQ(PictureSize(fitted).height, c.fittedHeight) << c.width << " x " << c.height;
    DeleteObject(fitted);
    EXPECT_EQ(GetGdiObjectCounts().bitmaps, before) << "the given bitmap is deleted";
  }
  EXPECT_EQ(ScaleBitmapToFit(nullptr, 260, 260), nullptr);
  EXPECT_EQ(ScaleBitmapToFit(CreateCompatibleBitmap(nullptr, 1000, 1), 260, 260), nullptr)
      << "a picture whose fitted height would be 0 gives none";
  EXPECT_EQ(PictureSize(nullptr).width, 260);
  EXPECT_EQ(PictureSize(nullptr).height, 0);
}

TEST(PictureFitting, NibbleExchange) {
  std::uint8_t bytes[] = {0x1F, 0xF1, 0x00, 0xAB};
  ExchangeNibbles(bytes, sizeof bytes);
  EXPECT_EQ(bytes[0], 0xF1);
  EXPECT_EQ(bytes[1], 0x1F);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0xBA);
}

TEST_F(ProgramPictures, IdsFormatsAndFallbacks) {
  std::vector<std::uint8_t> bmp = Encoded(Filled(100, 50, Qt::red), "BMP");
  std::vector<std::uint8_t> exchanged = bmp;
  ExchangeNibbles(exchanged.data(), exchanged.size());
  bundle::BundleWriter writer;
  writer.Add(bundle::ResourceType::Named("IMG"), 401, Encoded(Filled(520, 260, Qt::blue), "JPG"));
  // A GIF of a 4 x 1 logical screen.
  writer.Add(bundle::ResourceType::Named("IMG"), 402, CorpusFile("robustness/gif-edge/wuffs-artificial-gif/background-color.gif"));
  writer.Add(bundle::ResourceType::Named("IMG"), 10000, bmp);        // stored as it is
  writer.Add(bundle::ResourceType::Named("IMG"), 10001, exchanged);  // nibbles exchanged
  writer.Add(bundle::ResourceType::Named("IMG"), 10002, bmp);        // not exchanged: unreadable
  writer.Add(bundle::ResourceType::Numbered(10), 403, Encoded(Filled(100, 50, Qt::yellow), "PNG"));
  writer.Add(bundle::ResourceType::Numbered(10), 404, std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'});
  Use(writer);

  struct Case {
    int id;
    int width, height;  // -1: none
  };
  for (const Case& c : {Case{401, 260, 130}, Case{402, 260, 65}, Case{10000, 260, 130}, Case{10001, 260, 130},
                        Case{10002, -1, -1}, Case{403, 260, 130}, Case{404, -1, -1}, Case{405, -1, -1}}) {
    const PictureDimensions size = Load(c.id);
    EXPECT_EQ(size.width, c.width) << c.id;
    EXPECT_EQ(size.height, c.height) << c.id;
  }
  EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(ProgramPictures, FittedPixelsKeepTheirColour) {
  bundle::BundleWriter writer;
  writer.Add(bundle::ResourceType::Numbered(10), 401, Encoded(Filled(100, 50, QColor(255, 203, 38)), "PNG"));
  Use(writer);
  HBITMAP bitmap = LoadPicture(GetModuleHandleA(nullptr), 401, "IMG", 260, 260);
  ASSERT_NE(bitmap, nullptr);
  const QImage* image = ploxa::win::BitmapImage(bitmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(QColor(image->pixel(130, 65)), QColor(255, 203, 38));
  DeleteObject(bitmap);
}

// PSNR of two images of the same size, in dB.
double Psnr(const QImage& a, const QImage& b) {
  double squared = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) squared += d * d;
    }
  }
  const double mse = squared / (3.0 * a.width() * a.height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST_F(ProgramPictures, LargeJpegDecodesAtAReducedScaleAndLooksTheSame) {
  const QImage photo = Photo(3264, 1836);
  const std::vector<std::uint8_t> jpeg = Encoded(photo, "JPG", 90);
  bundle::BundleWriter writer;
  writer.Add(bundle::ResourceType::Named("IMG"), 401, jpeg);
  Use(writer);

  const int reducedBefore = ReducedJpegDecodes();
  HBITMAP fast = LoadPicture(GetModuleHandleA(nullptr), 401, "IMG", 260, 260);
  ASSERT_NE(fast, nullptr);
  EXPECT_EQ(ReducedJpegDecodes(), reducedBefore + 1) << "decoded at a reduced scale";
  EXPECT_EQ(PictureSize(fast).width, 260);
  EXPECT_EQ(PictureSize(fast).height, 146) << "the fitted size comes from the picture's own size";

  HBITMAP full = ScaleBitmapToFit(DecodePictureBytes(jpeg.data(), jpeg.size()), 260, 260);
  ASSERT_NE(full, nullptr);
  const double psnr = Psnr(*ploxa::win::BitmapImage(fast), *ploxa::win::BitmapImage(full));
  RecordProperty("psnr", std::to_string(psnr));
  EXPECT_GE(psnr, 40.0);
  DeleteObject(fast);
  DeleteObject(full);
}

TEST_F(ProgramPictures, FailuresShowTheirMessagesAndGiveNone) {
  // A PNG whose image data has a compression method other than deflate.
  std::vector<std::uint8_t> broken = Encoded(Filled(100, 50, Qt::green), "PNG");
  const std::string text(broken.begin(), broken.end());
  broken[text.find("IDAT") + 4] = 0x00;
  bundle::BundleWriter writer;
  writer.Add(bundle::ResourceType::Numbered(10), 401, Encoded(Filled(100, 50, Qt::green), "PNG"));
  writer.Add(bundle::ResourceType::Numbered(10), 402, broken);
  Use(writer);
  const int before = GetGdiObjectCounts().bitmaps;

  EXPECT_EQ(Load(402).width, -1);
  SetBitmapPixelBudget(0);
  EXPECT_EQ(Load(401).width, -1) << "no room for the section";
  // The picture loader's own bitmap fits, its copy does not.
  SetBitmapPixelBudget(100 * 50);
  const std::vector<std::uint8_t> bmp = Encoded(Filled(100, 50, Qt::red), "BMP");
  EXPECT_EQ(DecodePictureBytes(bmp.data(), bmp.size()), nullptr);
  SetBitmapPixelBudget(-1);

  const std::vector<std::string> expected = {"Information: Error: couldn't decode PNG resource",
                                             "Information: Error: couldn't create bitmap",
                                             "Information: CopyImage plante avec l'erreur : 8\n"};
  EXPECT_EQ(messages, expected);
  EXPECT_EQ(types, (std::vector<UINT>{MB_OK | MB_ICONERROR, MB_OK | MB_ICONERROR, MB_OK | MB_ICONINFORMATION}));
  EXPECT_EQ(GetGdiObjectCounts().bitmaps, before) << "nothing left behind";

  // Every load makes a new bitmap of its own.
  HBITMAP first = LoadPicture(GetModuleHandleA(nullptr), 401, "IMG", 260, 260);
  HBITMAP second = LoadPicture(GetModuleHandleA(nullptr), 401, "IMG", 260, 260);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(first, second);
  DeleteObject(first);
  DeleteObject(second);
}

// Colours compared pixel by pixel (QImage's own comparison also looks at how each was made).
testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (QColor(a.pixel(x, y)) != QColor(b.pixel(x, y))) {
        return testing::AssertionFailure() << "pixel " << x << ", " << y << ": " << std::hex << a.pixel(x, y) << " vs "
                                           << b.pixel(x, y);
      }
    }
  }
  return testing::AssertionSuccess();
}

TEST(PngBitmap, SectionsKeepTheImageLayout) {
  const std::vector<std::uint8_t> file = CorpusFile("pngsuite/basn3p04.png");  // 32 x 32, 4-bit palette
  ASSERT_FALSE(file.empty());
  PngInfo info{};
  PngInit(info);
  ASSERT_TRUE(PngAttachBytes(info, file.data(), static_cast<std::uint32_t>(file.size())));
  EXPECT_EQ(PngCreateBitmap(info, nullptr, PNG_OUTPUT_NATURAL, true), nullptr);
  EXPECT_EQ(info.error, PNG_ERROR_STATE) << "before decoding";
  ASSERT_TRUE(PngDecode(info));

  HBITMAP section = PngCreateBitmap(info, nullptr, PNG_OUTPUT_NATURAL, true);
  HBITMAP compatible = PngCreateBitmap(info, nullptr, PNG_OUTPUT_NATURAL, false);
  ASSERT_NE(section, nullptr);
  ASSERT_NE(compatible, nullptr);
  BITMAP bm{};
  GetObjectA(section, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 4);
  EXPECT_EQ(bm.bmWidthBytes, 16);
  EXPECT_NE(bm.bmBits, nullptr);
  GetObjectA(compatible, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_TRUE(SamePixels(*ploxa::win::BitmapImage(section), *ploxa::win::BitmapImage(compatible)));
  // The palette's colours, as the reference decoder's reading of the file gives them.
  const QImage reference = QImage::fromData(file.data(), static_cast<int>(file.size())).convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(SamePixels(*ploxa::win::BitmapImage(section), reference));

  SetBitmapPixelBudget(0);
  EXPECT_EQ(PngCreateBitmap(info, nullptr, PNG_OUTPUT_NATURAL, true), nullptr);
  EXPECT_EQ(info.error, PNG_ERROR_BITMAP);
  SetBitmapPixelBudget(-1);
  PngRelease(info);
  DeleteObject(section);
  DeleteObject(compatible);
}

TEST(PictureBytes, RefusesPicturesOver64Megapixels) {
  // A BMP header that claims 10000 x 10000 pixels: refused from its size alone.
  std::vector<std::uint8_t> bmp = Encoded(Filled(4, 4, Qt::red), "BMP");
  auto put = [&](std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(18, 10000);
  put(22, 10000);
  EXPECT_EQ(DecodePictureBytes(bmp.data(), bmp.size()), nullptr);
  EXPECT_EQ(DecodePictureBytes(nullptr, 0), nullptr);
  const std::uint8_t junk[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(DecodePictureBytes(junk, sizeof junk), nullptr);
}

// An icon file holding one PNG picture.
std::vector<std::uint8_t> IconOf(const std::vector<std::uint8_t>& png, int side) {
  std::vector<std::uint8_t> icon = {0, 0, 1, 0, 1, 0, static_cast<std::uint8_t>(side), static_cast<std::uint8_t>(side), 0, 0, 1, 0, 32, 0};
  for (std::uint32_t v : {static_cast<std::uint32_t>(png.size()), 22u}) {
    for (int i = 0; i < 4; ++i) icon.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  icon.insert(icon.end(), png.begin(), png.end());
  return icon;
}

TEST(PictureBytes, PngIsNotTheLoadersAndIconsMustHoldTogether) {
  const std::vector<std::uint8_t> png = Encoded(Filled(32, 32, Qt::blue), "PNG");
  EXPECT_EQ(DecodePictureBytes(png.data(), png.size()), nullptr) << "PNG pictures are the program's own decoder's";

  const std::vector<std::uint8_t> icon = IconOf(png, 32);
  HBITMAP bitmap = DecodePictureBytes(icon.data(), icon.size());
  ASSERT_NE(bitmap, nullptr) << "an icon holding a PNG is read";
  EXPECT_EQ(QColor(ploxa::win::BitmapImage(bitmap)->pixel(16, 16)), QColor(Qt::blue));
  DeleteObject(bitmap);

  // A text chunk after the header that claims 2 GiB: refused before a reader allocates for it.
  std::vector<std::uint8_t> hostile(png.begin(), png.begin() + 33);
  for (int b : {0x7F, 0xFF, 0xFF, 0xFF, int{'i'}, int{'T'}, int{'X'}, int{'t'}, 0, 0, 0, 0}) hostile.push_back(static_cast<std::uint8_t>(b));
  const std::vector<std::uint8_t> hostileIcon = IconOf(hostile, 32);
#if PLOXA_COUNTS_MALLOC
  largestMalloc = 0;
#endif
  EXPECT_EQ(DecodePictureBytes(hostileIcon.data(), hostileIcon.size()), nullptr);
#if PLOXA_COUNTS_MALLOC
  EXPECT_LT(largestMalloc.load(), std::size_t{1} << 24) << "no reader allocated for the claimed chunk";
#endif
  std::vector<std::uint8_t> shortIcon = icon;
  shortIcon.resize(icon.size() - 1);
  EXPECT_EQ(DecodePictureBytes(shortIcon.data(), shortIcon.size()), nullptr) << "an entry past the end";
}

}  // namespace
