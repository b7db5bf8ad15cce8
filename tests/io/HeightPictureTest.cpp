// Pictures of grids, grids from pictures, the dialog's working pictures and real picture files.

#include "io/HeightPicture.h"
#include "io/PictureFile.h"

#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace lw;
using namespace lwtest;

namespace {

std::string image(const char* name) {
    return std::string(LW_SHARED_TESTDATA_DIR) + "/images/" + name;
}

// 3 × 2 grid [x][z] spanning 0..2.
THmap sampleGrid() {
    return THmap{{0.0f, 1.0f}, {0.5f, 2.0f}, {1.5f, 0.25f}};
}

} // namespace

TEST(GridPicture, MapsTheRangeToGreyLevels) {
    GridRange range;
    const GreyPicture p = gridPicture(sampleGrid(), &range);
    EXPECT_EQ(range.min, 0.0f);
    EXPECT_EQ(range.max, 2.0f);
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    // Column x, row z: 1 -> 127.5 -> 128 (even), 0.5 -> 63.75, 0.25 -> 31.875.
    EXPECT_EQ(p.pixels, (std::vector<uint8_t>{0, 64, 191, 128, 255, 32}));

    // A flat grid is black.
    const GreyPicture flat = gridPicture(THmap(4, std::vector<float>(3, 7.5f)), &range);
    EXPECT_EQ(range.min, 7.5f);
    EXPECT_EQ(range.max, 7.5f);
    EXPECT_EQ(flat, GreyPicture(4, 3, 0));
}

TEST(GridPicture, ApplyMapsGreyToTheValueRange) {
    THmap grid(2, std::vector<float>(2, 9.0f));
    applyPictureToGrid(GreyPicture(2, 2, 0), grid, -1.0, 3.0);
    EXPECT_EQ(grid[1][1], -1.0f);
    GreyPicture p(2, 2, 255);
    p.at(1, 0) = 51;
    applyPictureToGrid(p, grid, -1.0, 3.0);
    EXPECT_EQ(grid[0][0], 3.0f);
    EXPECT_FLOAT_EQ(grid[1][0], -0.2f); // column x = 1, row z = 0
    EXPECT_EQ(grid[0][1], 3.0f);
}

TEST(HeightPictureSession, ExportShowsTheRangeAndSavesThePreview) {
    HeightPictureSession s(0, 0);
    const GridRange range = s.prepareFromGrid(sampleGrid());
    EXPECT_EQ(range.max, 2.0f);
    EXPECT_EQ(range.min, 0.0f);
    EXPECT_EQ(s.width(), 3);
    EXPECT_EQ(s.height(), 2);
    EXPECT_EQ(s.preview().width, kPicturePreviewSize);
    EXPECT_EQ(s.preview().height, kPicturePreviewSize);
    EXPECT_EQ(s.picture(), stretchPicture(s.preview(), 3, 2));

    TempDir dir;
    auto written = s.saveImage((dir / "heights").string());
    ASSERT_TRUE(written.ok()) << written.error().message();
    EXPECT_EQ(*written, (dir / "heights.bmp").string());
    auto back = loadPicture(*written);
    ASSERT_TRUE(back.ok()) << back.error().message();
    EXPECT_EQ(*back, s.preview());
    // A name holding ".bmp" anywhere is kept as it is.
    auto kept = s.saveImage((dir / "a.bmp.old").string());
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(*kept, (dir / "a.bmp.old").string());
}

TEST(HeightPictureSession, OpenProcessesThePreviewAndStretchesItToTheGrid) {
    LW_REQUIRE_SHARED_TESTDATA();
    const GreyPicture camera = *loadPicture(image("camera_3x3_gray8.bmp"));
    HeightPictureSession s(8, 6);
    ASSERT_TRUE(s.openPicture(camera, 0.0, false).ok());
    const GreyPicture plain = s.preview();
    const GreyPicture expectedPlain = *resamplePicture(*resamplePicture(camera, 8, 6), 335, 335);
    EXPECT_EQ(plain, expectedPlain);

    s.process(20.0, true);
    GreyPicture expected = plain;
    invertPicture(expected);
    changeContrast(expected, 20.0);
    EXPECT_EQ(s.preview(), expected);
    EXPECT_EQ(s.picture(), stretchPicture(expected, 8, 6));

    THmap grid(8, std::vector<float>(6, 0.0f));
    s.applyToGrid(grid, 1.0, 2.0);
    for (const auto& column : grid)
        for (float v : column) {
            EXPECT_GE(v, 1.0f);
            EXPECT_LE(v, 2.0f);
        }
}

TEST(HeightPictureSession, SmallGridsAreStretchedAndEmptyPicturesRefused) {
    LW_REQUIRE_SHARED_TESTDATA();
    const GreyPicture camera = *loadPicture(image("camera_3x3_gray8.bmp"));
    HeightPictureSession small(2, 2);
    ASSERT_TRUE(small.openPicture(camera, 0.0, false).ok());
    const GreyPicture viaStretch = *resamplePicture(stretchPicture(camera, 2, 2), 335, 335);
    EXPECT_EQ(small.preview(), viaStretch);

    HeightPictureSession s(10, 10);
    auto st = s.openPicture(GreyPicture{}, 0.0, false);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().text, "Source bitmap too small");
    EXPECT_FALSE(s.hasPicture());
    EXPECT_FALSE(s.prepareFromPicture(GreyPicture(0, 3)).ok());
    ASSERT_TRUE(s.prepareFromPicture(camera).ok());
    EXPECT_EQ(s.width(), 3);
    EXPECT_EQ(s.picture().width, 3);
}

TEST(PictureFile, RealPicturesLoadResampleAndApply) {
    LW_REQUIRE_SHARED_TESTDATA();
    struct Case {
        const char* name;
        int width, height;
    };
    for (const Case& c :
         {Case{"testorig_baseline.jpg", 227, 149}, Case{"testimgp_progressive.jpg", 227, 149},
          Case{"testimggray_grey.jpg", 227, 149}, Case{"shira_bird8_24bit.bmp", 192, 144},
          Case{"jacksboro_dem_gray8.bmp", 403, 344}, Case{"camera_3x3_gray8.bmp", 3, 3}}) {
        SCOPED_TRACE(c.name);
        auto p = loadPicture(image(c.name));
        ASSERT_TRUE(p.ok()) << p.error().message();
        EXPECT_EQ(p->width, c.width);
        EXPECT_EQ(p->height, c.height);
        // A 25 × 25 poxel has a 26 × 26 grid of heights.
        HeightPictureSession s(26, 26);
        ASSERT_TRUE(s.openPicture(*p, 50.0, false).ok());
        THmap grid(26, std::vector<float>(26, -7.0f));
        s.applyToGrid(grid, -2.0, 4.0);
        float lo = 99.0f, hi = -99.0f;
        for (const auto& column : grid)
            for (float v : column) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        EXPECT_GE(lo, -2.0f);
        EXPECT_LE(hi, 4.0f);
        EXPECT_LT(lo, hi); // every picture has some contrast
    }
}

TEST(PictureFile, GreyLevelsOfKnownPictures) {
    LW_REQUIRE_SHARED_TESTDATA();
    auto camera = loadPicture(image("camera_3x3_gray8.bmp"));
    ASSERT_TRUE(camera.ok());
    EXPECT_EQ(camera->pixels, (std::vector<uint8_t>{179, 158, 203, 33, 85, 159, 47, 148, 148}));

    // The colour and the grey JPEG hold the same photo: the luminance of the one matches the
    // other closely (swapped or wrong channel weights would not).
    auto colour = loadPicture(image("testorig_baseline.jpg"));
    auto grey = loadPicture(image("testimggray_grey.jpg"));
    ASSERT_TRUE(colour.ok());
    ASSERT_TRUE(grey.ok());
    ASSERT_EQ(colour->pixels.size(), grey->pixels.size());
    double diff = 0.0;
    for (size_t i = 0; i < grey->pixels.size(); ++i)
        diff += std::abs(int(colour->pixels[i]) - int(grey->pixels[i]));
    EXPECT_LT(diff / double(grey->pixels.size()), 3.0);
}

TEST(PictureFile, UnreadableFilesAreRefusedByName) {
    LW_REQUIRE_SHARED_TESTDATA();
    TempDir dir;
    auto missing = loadPicture((dir / "none.jpg").string());
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().detail.find("none.jpg"), std::string::npos);

    writeBytes(dir / "junk.bmp", std::vector<uint8_t>(64, 'x'));
    EXPECT_FALSE(loadPicture((dir / "junk.bmp").string()).ok());

    auto jpeg = readBytes(image("testorig_baseline.jpg"));
    writeBytes(dir / "cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 200));
    EXPECT_FALSE(loadPicture((dir / "cut.jpg").string()).ok());

    // A picture whose name says bitmap but whose content is JPEG is still read.
    writeBytes(dir / "photo.bmp", jpeg);
    EXPECT_TRUE(loadPicture((dir / "photo.bmp").string()).ok());
}

TEST(PictureFile, PicturesCutOffAreRefusedNotFilledWithBlack) {
    LW_REQUIRE_SHARED_TESTDATA();
    TempDir dir;
    for (const char* name :
         {"camera_3x3_gray8.bmp", "jacksboro_dem_gray8.bmp", "shira_bird8_24bit.bmp",
          "testorig_baseline.jpg", "testimgp_progressive.jpg", "testimggray_grey.jpg"}) {
        SCOPED_TRACE(name);
        const auto whole = readBytes(image(name));
        ASSERT_TRUE(loadPicture(image(name)).ok());
        const auto cut = dir / name;
        writeBytes(cut, std::vector<uint8_t>(whole.begin(), whole.end() - long(whole.size() / 4)));
        auto r = loadPicture(cut.string());
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().detail.find("cut off"), std::string::npos) << r.error().detail;
        EXPECT_NE(r.error().detail.find(name), std::string::npos);
    }
}

TEST(PictureFile, SavedBitmapsAre24BitAndWrittenWhole) {
    TempDir dir;
    GreyPicture p(5, 3);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = uint8_t(i * 17);
    ASSERT_TRUE(savePictureBmp(p, (dir / "p.bmp").string()).ok());
    const auto bytes = readBytes(dir / "p.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[28], 24); // bits per pixel
    EXPECT_EQ(*loadPicture((dir / "p.bmp").string()), p);

    EXPECT_FALSE(savePictureBmp(p, (dir / "no" / "p.bmp").string()).ok());
    EXPECT_FALSE(savePictureBmp(GreyPicture{}, (dir / "e.bmp").string()).ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "e.bmp"));
}

TEST(PictureFile, PicturesLargerThanTheDialogTakesAreRefusedBeforeDecoding) {
    LW_REQUIRE_SHARED_TESTDATA();
    TempDir dir;
    // The 3 x 3 picture with its height field claiming 8,388,608 rows: decoding and resampling
    // it would take seconds and a gigabyte for a file of 1,090 bytes.
    auto bytes = readBytes(image("camera_3x3_gray8.bmp"));
    ASSERT_EQ(bytes.size(), 1090u);
    const uint32_t rows = 8388608;
    for (int i = 0; i < 4; ++i)
        bytes[22 + size_t(i)] = uint8_t(rows >> (8 * i));
    writeBytes(dir / "tall.bmp", bytes);
    auto tall = loadPicture((dir / "tall.bmp").string());
    ASSERT_FALSE(tall.ok());
    EXPECT_NE(tall.error().detail.find("tall.bmp"), std::string::npos) << tall.error().detail;
    EXPECT_NE(tall.error().detail.find("3 x 8388608"), std::string::npos) << tall.error().detail;
    EXPECT_NE(tall.error().detail.find("4096 x 4096"), std::string::npos) << tall.error().detail;
    // The same under a name that sends it to the JPEG decoder first.
    writeBytes(dir / "tall.jpg", bytes);
    auto misnamed = loadPicture((dir / "tall.jpg").string());
    ASSERT_FALSE(misnamed.ok());
    EXPECT_NE(misnamed.error().detail.find("3 x 8388608"), std::string::npos)
        << misnamed.error().detail;

    // A picture at the limit is taken.
    const QImage edge(kMaxPictureSide, 2, QImage::Format_Grayscale8);
    QImage filled = edge;
    filled.fill(7);
    ASSERT_TRUE(filled.save(QString::fromStdString((dir / "edge.bmp").string()), "BMP"));
    auto atLimit = loadPicture((dir / "edge.bmp").string());
    ASSERT_TRUE(atLimit.ok()) << atLimit.error().message();
    EXPECT_EQ(atLimit->width, kMaxPictureSide);
    EXPECT_EQ(atLimit->at(kMaxPictureSide - 1, 1), 7);
}

TEST(PictureFile, PicturesInMemoryDecodeAsTheirFilesDo) {
    LW_REQUIRE_SHARED_TESTDATA();
    for (const char* name : {"testorig_baseline.jpg", "camera_3x3_gray8.bmp"}) {
        SCOPED_TRACE(name);
        auto fromFile = loadPicture(image(name));
        auto fromBytes = decodePicture(readBytes(image(name)), name);
        ASSERT_TRUE(fromFile.ok());
        ASSERT_TRUE(fromBytes.ok());
        EXPECT_EQ(*fromFile, *fromBytes);
    }
    EXPECT_FALSE(decodePicture({}, "empty.bmp").ok());
}
