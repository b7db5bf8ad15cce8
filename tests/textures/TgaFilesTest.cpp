// The real TGA files of the shared test data, decoded and compared with ImageMagick.

#include "support/TestSupport.h"
#include "textures/ImageRecord.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lw;
namespace fs = std::filesystem;

namespace {

// /usr/local/bin may hold a stand-in of the same name; the reference is the real program.
const char* const kConvert = "/usr/bin/convert";

fs::path tgaPath(const std::string& name) {
    return fs::path(LW_SHARED_TESTDATA_DIR) / "tga" / name;
}

std::vector<uint8_t> tgaBytes(const std::string& name) {
    return lwtest::readBytes(tgaPath(name));
}

// ImageMagick's pixels of a file, top row first, as "rgb" or "rgba" bytes. Without
// -auto-orient it would hand out rows in file order and only note the origin.
std::vector<uint8_t> referencePixels(const std::string& name, const std::string& format) {
    lwtest::TempDir dir;
    const auto out = dir / "pixels.raw";
    auto r = lwtest::runCommand(std::string(kConvert) + " '" + tgaPath(name).string() +
                                "' -auto-orient -depth 8 " + format + ":'" + out.string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return lwtest::readBytes(out);
}

// Our B, G, R(, A) pixels in R, G, B(, A) order.
std::vector<uint8_t> asRgb(const DecodedImage& img) {
    std::vector<uint8_t> v = img.pixels;
    const size_t bpp = size_t(img.bits / 8);
    for (size_t i = 0; i + bpp <= v.size(); i += bpp)
        std::swap(v[i], v[i + 2]);
    return v;
}

std::vector<uint8_t> flipRows(const std::vector<uint8_t>& pixels, size_t rowBytes) {
    std::vector<uint8_t> out;
    for (size_t y = pixels.size() / rowBytes; y-- > 0;)
        out.insert(out.end(), pixels.begin() + std::ptrdiff_t(y * rowBytes),
                   pixels.begin() + std::ptrdiff_t((y + 1) * rowBytes));
    return out;
}

class TgaFiles : public ::testing::Test {
protected:
    void SetUp() override {
        LW_REQUIRE_SHARED_TESTDATA();
        if (!fs::exists(kConvert))
            GTEST_SKIP() << kConvert << " is not installed (scripts/install-deps)";
    }
};

} // namespace

TEST_F(TgaFiles, UncompressedBottomLeftFilesMatchImageMagick) {
    struct Case {
        const char* file;
        int bits;
    };
    for (const Case c : {Case{"200x32_rgb_bl_raw.tga", 24}, Case{"200x32_rgba_bl_raw.tga", 32}}) {
        SCOPED_TRACE(c.file);
        auto img = ShowImage(tgaBytes(c.file), false);
        ASSERT_TRUE(img) << img.error().message();
        EXPECT_EQ(img->description(), "200x32x" + std::to_string(c.bits) + "bit type:0");
        const auto expected = referencePixels(c.file, c.bits == 32 ? "rgba" : "rgb");
        ASSERT_EQ(expected.size(), img->pixels.size());
        EXPECT_TRUE(asRgb(*img) == expected);
    }
}

TEST_F(TgaFiles, TopLeftFilesDecodeUpsideDown) {
    // The origin bit is not read: rows come out mirrored, but every byte is in bounds.
    struct Case {
        const char* file;
        int bits;
        int width;
    };
    for (const Case c :
         {Case{"rgb24_top_left.tga", 24, 64}, Case{"200x32_rgba_tl_raw.tga", 32, 200}}) {
        SCOPED_TRACE(c.file);
        auto img = ShowImage(tgaBytes(c.file), false);
        ASSERT_TRUE(img);
        const auto expected = referencePixels(c.file, c.bits == 32 ? "rgba" : "rgb");
        EXPECT_TRUE(asRgb(*img) == flipRows(expected, size_t(c.width * c.bits / 8)));
    }
}

TEST_F(TgaFiles, ImageIdFieldShiftsThePixelsBySixBytes) {
    // The 6-byte ID is read as pixels: every pixel shows the one two places before it.
    auto img = ShowImage(tgaBytes("tga_id_field.tga"), false);
    ASSERT_TRUE(img);
    const auto ours = flipRows(asRgb(*img), 300); // bottom row first, as in the file
    const auto truth = flipRows(referencePixels("tga_id_field.tga", "rgb"), 300);
    ASSERT_EQ(ours.size(), truth.size());
    EXPECT_TRUE(std::equal(ours.begin() + 6, ours.end(), truth.begin()));
    EXPECT_FALSE(ours == truth);
}

TEST_F(TgaFiles, UnsupportedFilesAreRefusedOrDecodedInBounds) {
    // Too few bytes for what the header seems to say: refused.
    for (const char* refused : {"200x32_l_bl_raw.tga", "200x32_p_bl_raw.tga",
                                "malformed_cross_scan_line_truncated.tga"}) {
        auto img = ShowImage(tgaBytes(refused), true);
        ASSERT_FALSE(img) << refused;
        EXPECT_NE(img.error().detail.find("bytes of pixels"), std::string::npos) << refused;
    }
    // Run-length data long enough to pass for raw pixels: decoded, as garbage.
    auto rle = ShowImage(tgaBytes("200x32_rgb_bl_rle.tga"), false);
    ASSERT_TRUE(rle);
    EXPECT_FALSE(asRgb(*rle) == referencePixels("200x32_rgb_bl_rle.tga", "rgb"));
    auto cross = ShowImage(tgaBytes("cross_scan_line.tga"), true);
    ASSERT_TRUE(cross);
    EXPECT_EQ(cross->description(), "2x2x24bit type:0");
}
