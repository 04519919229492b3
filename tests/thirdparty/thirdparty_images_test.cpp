// The statically linked zlib, libpng, libjpeg-turbo and libtiff write small images to disk and
// read them back. No <windows.h> here: its `boolean` clashes with jpeglib.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <process.h>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

static_assert(JPEG_LIB_VERSION == 80, "libjpeg-turbo must be built with the libjpeg 8 API");

// libjpeg-turbo's own SIMD dispatch queries (not in its public headers): they answer 0 when the
// library was built without SIMD code, or when it would not use it on this processor.
extern "C" {
int jsimd_can_rgb_ycc(void);
int jsimd_can_fdct_islow(void);
int jsimd_can_idct_islow(void);
}

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 37;  // odd sizes, so rows are not a multiple of any SIMD width
constexpr int kHeight = 23;
constexpr int kChannels = 3;
constexpr int kJpegQuality = 95;
constexpr int kJpegTolerance = 12;  // largest sample error at that quality on a smooth image

// Covers every byte value, among them 0x0A, 0x0D and 0x1A that text-mode file I/O would mangle.
std::vector<unsigned char> allBytesImage() {
  std::vector<unsigned char> pixels(kWidth * kHeight * kChannels);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7);
  return pixels;
}

// JPEG is lossy: a smooth image keeps its error small and predictable.
std::vector<unsigned char> gradientImage() {
  std::vector<unsigned char> pixels(kWidth * kHeight * kChannels);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      unsigned char* p = &pixels[(y * kWidth + x) * kChannels];
      p[0] = static_cast<unsigned char>(x * 255 / (kWidth - 1));
      p[1] = static_cast<unsigned char>(y * 255 / (kHeight - 1));
      p[2] = 128;
    }
  }
  return pixels;
}

class ThirdPartyImages : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velmor-thirdparty-" + std::to_string(_getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string path(const char* name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST(ThirdPartyLibraries, ZlibRoundTripWithMatchingHeaders) {
  EXPECT_STREQ(zlibVersion(), ZLIB_VERSION);
  const std::vector<unsigned char> input(4096, 'v');
  uLongf packedSize = compressBound(input.size());
  std::vector<unsigned char> packed(packedSize);
  ASSERT_EQ(compress2(packed.data(), &packedSize, input.data(), input.size(), Z_BEST_SPEED), Z_OK);
  EXPECT_LT(packedSize, input.size() / 10);
  std::vector<unsigned char> output(input.size());
  uLongf outputSize = output.size();
  ASSERT_EQ(uncompress(output.data(), &outputSize, packed.data(), packedSize), Z_OK);
  EXPECT_EQ(output, input);
}

TEST(ThirdPartyLibraries, JpegUsesSimd) {
  EXPECT_TRUE(jsimd_can_rgb_ycc());
  EXPECT_TRUE(jsimd_can_fdct_islow());
  EXPECT_TRUE(jsimd_can_idct_islow());
}

TEST_F(ThirdPartyImages, PngRoundTripIsExact) {
  const auto pixels = allBytesImage();
  const std::string file = path("image.png");
  png_image out{};
  out.version = PNG_IMAGE_VERSION;
  out.width = kWidth;
  out.height = kHeight;
  out.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&out, file.c_str(), 0, pixels.data(), 0, nullptr)) << out.message;

  png_image in{};
  in.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&in, file.c_str())) << in.message;
  EXPECT_EQ(in.width, static_cast<png_uint_32>(kWidth));
  EXPECT_EQ(in.height, static_cast<png_uint_32>(kHeight));
  in.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> back(PNG_IMAGE_SIZE(in));
  ASSERT_TRUE(png_image_finish_read(&in, nullptr, back.data(), 0, nullptr)) << in.message;
  EXPECT_EQ(back, pixels);
}

TEST_F(ThirdPartyImages, JpegRoundTripStaysClose) {
  const auto pixels = gradientImage();
  const std::string file = path("image.jpg");

  FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  jpeg_compress_struct c{};
  jpeg_error_mgr cerr{};
  c.err = jpeg_std_error(&cerr);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = kWidth;
  c.image_height = kHeight;
  c.input_components = kChannels;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, kJpegQuality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&pixels[c.next_scanline * kWidth * kChannels]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);

  f = std::fopen(file.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  jpeg_decompress_struct d{};
  jpeg_error_mgr derr{};
  d.err = jpeg_std_error(&derr);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, f);
  ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
  d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d);
  EXPECT_EQ(d.output_width, static_cast<JDIMENSION>(kWidth));
  EXPECT_EQ(d.output_height, static_cast<JDIMENSION>(kHeight));
  ASSERT_EQ(d.output_components, kChannels);
  std::vector<unsigned char> back(pixels.size());
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &back[d.output_scanline * kWidth * kChannels];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(f);

  int worst = 0;
  for (size_t i = 0; i < pixels.size(); ++i) worst = std::max(worst, std::abs(back[i] - pixels[i]));
  EXPECT_LE(worst, kJpegTolerance);
}

TEST_F(ThirdPartyImages, TiffLzwRoundTripIsExact) {
  const auto pixels = allBytesImage();
  const std::string file = path("image.tif");
  TIFF* out = TIFFOpen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, kChannels);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    auto* row = const_cast<unsigned char*>(&pixels[y * kWidth * kChannels]);
    ASSERT_EQ(TIFFWriteScanline(out, row, y, 0), 1);
  }
  TIFFClose(out);

  TIFF* in = TIFFOpen(file.c_str(), "r");
  ASSERT_NE(in, nullptr);
  uint32_t width = 0, height = 0;
  uint16_t compression = 0;
  TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(in, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(in, TIFFTAG_COMPRESSION, &compression);
  EXPECT_EQ(width, static_cast<uint32_t>(kWidth));
  EXPECT_EQ(height, static_cast<uint32_t>(kHeight));
  EXPECT_EQ(compression, COMPRESSION_LZW);
  std::vector<unsigned char> back(pixels.size());
  for (int y = 0; y < kHeight; ++y) {
    ASSERT_EQ(TIFFReadScanline(in, &back[y * kWidth * kChannels], y, 0), 1);
  }
  TIFFClose(in);
  EXPECT_EQ(back, pixels);
}

}  // namespace
