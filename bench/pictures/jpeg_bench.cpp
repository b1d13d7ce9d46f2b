// A JPEG fitted to its 260 x 260 cell: decoded at a reduced libjpeg scale and
// fitted, against a full decode and fit of the same photo, in the same run.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QApplication>
#include <QImage>
#include <cmath>
#include <map>
#include <vector>

#include "pictures/picture_loading.h"
#include "platform/win_api.h"

namespace {

const std::vector<std::uint8_t>& Photo(int width, int height) {
  static std::map<std::pair<int, int>, std::vector<std::uint8_t>> photos;
  auto& bytes = photos[{width, height}];
  if (bytes.empty()) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < width; ++x) {
        const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
        row[x] = qRgb(static_cast<int>(255 * fx), static_cast<int>(255 * fy),
                      static_cast<int>(128 + 100 * std::sin(40 * fx) * std::cos(30 * fy)) ^ ((x * y) & 15));
      }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    bytes.assign(data.begin(), data.end());
  }
  return bytes;
}

void BM_ReducedDecodeAndFit(benchmark::State& state) {
  const auto& jpeg = Photo(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) DeleteObject(DecodeAndFit(jpeg.data(), jpeg.size(), 260, 260));
}

void BM_FullDecodeAndFit(benchmark::State& state) {
  const auto& jpeg = Photo(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) DeleteObject(ScaleBitmapToFit(DecodePictureBytes(jpeg.data(), jpeg.size()), 260, 260));
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1024, 768})->Args({2000, 1500})->Args({3264, 1836})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ReducedDecodeAndFit)->Apply(Sizes);
BENCHMARK(BM_FullDecodeAndFit)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
