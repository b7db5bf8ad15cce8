// "Load Textures" in the headless context: what is uploaded, the table the meshes bind, loads
// that are refused without touching anything, a textured frame whose pixels show the texture
// colours, and the box overview.

#include "textures/gl/TextureUpload.h"
#include "textures/gl/BoxOverview.h"

#include "core/Poxel.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"
#include "support/HeadlessGlTest.h"
#include "textures/TextureCodes.h"
#include "textures/TextureSamples.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace lw;

namespace {

constexpr int kSize = gl::kBoxRenderSize;

// A bundle image of one colour (R, G, B) or the given pixels, with its source file.
NamedImage solid(const std::string& name, uint8_t r, uint8_t g, uint8_t b, int side = 4) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < side * side; ++i)
        pixels.insert(pixels.end(), {r, g, b});
    return {name, lwtest::recordOf(lwtest::ximageObject(1, side, side, 0, pixels)),
            "bundles/" + name + ".xom"};
}

TextureBox box(const std::string& name, const std::string& top, const std::string& side,
               const std::string& bottom, const std::string& edge) {
    return TextureBox{name, {top, side, bottom, edge, top}};
}

std::array<uint8_t, 4> average(const std::vector<uint8_t>& rgba, int width, int x0, int y0, int w,
                               int h) {
    std::array<unsigned, 4> sum{};
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            for (int c = 0; c < 4; ++c)
                sum[size_t(c)] += rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)];
    std::array<uint8_t, 4> out{};
    for (int c = 0; c < 4; ++c)
        out[size_t(c)] = uint8_t(sum[size_t(c)] / unsigned(w * h));
    return out;
}

class TextureUpload : public lwtest::HeadlessGlTest<kSize> {
protected:
    void TearDown() override {
        root_.reset();
        loaded_.Textures.release();
    }

    // The texture bound to `name`, level 0, as RGB rows bottom first.
    static std::vector<uint8_t> texturePixels(GLuint name, int* w, int* h) {
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, h);
        std::vector<uint8_t> out(size_t(*w) * size_t(*h) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return out;
    }

    // Uploads `boxes` with `images` into loaded_.
    void upload(std::vector<TextureBox> boxes, const ImageList& images,
                const TTextureList& previous = {}) {
        auto made = gl::UploadTextureList(TextureBoxList{std::move(boxes)}, images, previous);
        ASSERT_TRUE(made) << made.error().message();
        loaded_ = std::move(*made);
    }

    gl::LoadedTextures loaded_;
    std::unique_ptr<TPoxel> root_;
};

} // namespace

TEST_F(TextureUpload, EveryNameOnceSortedWithMipmapsAndTheTableOfPositions) {
    const ImageList images = {solid("Zebra", 255, 0, 0), solid("apple", 0, 255, 0),
                              solid("edge", 0, 0, 255), solid("grass", 9, 9, 9)};
    TTextureList previous{};
    previous[5] = {1, 2, 3, 4};
    ASSERT_NO_FATAL_FAILURE(upload({box("One", "grass", "Zebra", "apple", "NULL"),
                                    box("Two", "GRASS", "apple", "Zebra", "edge")},
                                   images, previous));
    EXPECT_EQ(loaded_.TextureNameList,
              (std::vector<std::string>{"Zebra", "apple", "edge", "grass"}));
    EXPECT_EQ(loaded_.Table[0], (TTextureRow{3, 0, 1, kNoEdgeTexture}));
    EXPECT_EQ(loaded_.Table[1], (TTextureRow{3, 1, 0, 2}));
    EXPECT_EQ(loaded_.Table[5], (TTextureRow{1, 2, 3, 4})) << "rows after the boxes stay";
    ASSERT_EQ(loaded_.Textures.size(), 4u);

    // Each texture object holds its image, with its mipmap levels.
    int w = 0, h = 0;
    const auto red = texturePixels(loaded_.Textures.name(0), &w, &h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(std::vector<uint8_t>(red.begin(), red.begin() + 3),
              (std::vector<uint8_t>{255, 0, 0}));
    glBindTexture(GL_TEXTURE_2D, loaded_.Textures.name(0));
    GLint level2 = 0, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &level2);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(level2, 1);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    // The mesh builder binds texture objects; the edge marker and rows of no box survive.
    const TTextureList binding = loaded_.Textures.bindingTable(loaded_.Table);
    EXPECT_EQ(binding[0][SlotTop], loaded_.Textures.name(3));
    EXPECT_EQ(binding[0][SlotEdge], kNoEdgeTexture);
    EXPECT_EQ(binding[1][SlotEdge], loaded_.Textures.name(2));
    EXPECT_EQ(binding[5][SlotEdge], 0u) << "a position beyond the names binds no texture";
    for (size_t k = 0; k < loaded_.Textures.size(); ++k) {
        const GLuint n = loaded_.Textures.name(k);
        EXPECT_NE(n, kNoEdgeTexture);
        EXPECT_NE(n, gl::kHeightmapTexture1);
        EXPECT_TRUE(glIsTexture(n));
    }
}

TEST_F(TextureUpload, PackedRowsAndBothPixelOrdersArriveUnchanged) {
    // Two pixels of three bytes: rows of 6 bytes, which the default alignment of 4 would skew.
    const std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const std::vector<uint8_t> bgr = {30, 20, 10, 60, 50, 40, 90, 80, 70, 120, 110, 100};
    const ImageList images = {
        {"bundle", lwtest::recordOf(lwtest::ximageObject(1, 2, 2, 0, rgb)), ""},
        {"tga", lwtest::tgaFile(2, 2, 24, bgr), ""}};
    ASSERT_NO_FATAL_FAILURE(upload({box("B", "bundle", "tga", "tga", "NULL")}, images));
    for (size_t k = 0; k < 2; ++k) {
        int w = 0, h = 0;
        EXPECT_EQ(texturePixels(loaded_.Textures.name(k), &w, &h), rgb) << "texture " << k;
    }
}

TEST_F(TextureUpload, AMissingOrUnusableImageRefusesTheWholeLoad) {
    ImageList images = {solid("grass", 1, 2, 3)};
    TextureBoxList list;
    list.Boxes = {box("A", "grass", "grass", "nosuch", "NULL")};
    auto missing = gl::UploadTextureList(list, images, {});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().key, "sTextureNotFound");
    EXPECT_EQ(missing.error().detail, "'nosuch'");

    // A record whose pixels are cut short: named with the file it came from.
    NamedImage cut = solid("cut", 1, 2, 3);
    cut.record.resize(cut.record.size() - 5);
    images.push_back(cut);
    list.Boxes = {box("A", "grass", "cut", "grass", "NULL")};
    auto broken = gl::UploadTextureList(list, images, {});
    ASSERT_FALSE(broken);
    EXPECT_EQ(broken.error().key, "sBadImage");
    EXPECT_NE(broken.error().detail.find("'cut' (bundles/cut.xom)"), std::string::npos)
        << broken.error().detail;
    EXPECT_NE(broken.error().detail.find("bytes of pixels"), std::string::npos);
}

TEST_F(TextureUpload, AnImageTooLargeLeavesJustItsTextureBlank) {
    const ImageList images = {
        solid("grass", 1, 2, 3),
        {"wide",
         lwtest::recordOf(lwtest::ximageObject(1, 600, 1, 0, std::vector<uint8_t>(1800, 7))),
         "bundles/wide.xom"},
        {"deep", lwtest::recordOf(lwtest::ximageObject(1, 1, 1, 0, {1, 2, 3}, 10)),
         "bundles/deep.xom"}};
    ASSERT_NO_FATAL_FAILURE(upload(
        {box("A", "wide", "grass", "deep", "NULL"), box("B", "grass", "grass", "grass", "NULL")},
        images));
    ASSERT_EQ(loaded_.TextureNameList, (std::vector<std::string>{"deep", "grass", "wide"}));
    ASSERT_EQ(loaded_.Blank.size(), 2u);
    EXPECT_EQ(loaded_.Blank[0].rfind("'deep' (bundles/deep.xom): ", 0), 0u) << loaded_.Blank[0];
    EXPECT_NE(loaded_.Blank[0].find("10 levels"), std::string::npos) << loaded_.Blank[0];
    EXPECT_EQ(loaded_.Blank[1].rfind("'wide' (bundles/wide.xom): ", 0), 0u) << loaded_.Blank[1];
    EXPECT_EQ(loaded_.Table[0], (TTextureRow{2, 1, 0, kNoEdgeTexture}));
    int w = 0, h = 0;
    EXPECT_EQ(texturePixels(loaded_.Textures.name(1), &w, &h),
              (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1,
                                    2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2,
                                    3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
    for (size_t blank : {size_t(0), size_t(2)}) {
        glBindTexture(GL_TEXTURE_2D, loaded_.Textures.name(blank));
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 0) << "texture " << blank << " holds no image";
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(TextureUpload, ACancelledLoadDeletesWhatItMade) {
    const ImageList images = {solid("a", 1, 1, 1), solid("b", 2, 2, 2), solid("c", 3, 3, 3)};
    TextureBoxList list;
    list.Boxes = {box("A", "a", "b", "c", "NULL")};
    std::vector<GLuint> seen;
    size_t calls = 0;
    auto cancelled = gl::UploadTextureList(list, images, {}, [&](size_t done, size_t total) {
        EXPECT_EQ(total, 3u);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        seen.push_back(GLuint(bound));
        return ++calls < 2 && done < total;
    });
    ASSERT_FALSE(cancelled);
    EXPECT_EQ(cancelled.error().key, "sLoadCancelled");
    ASSERT_EQ(seen.size(), 2u);
    for (GLuint n : seen)
        EXPECT_FALSE(glIsTexture(n)) << "texture " << n << " was left behind";
}

// A poxel painted with box 1 on its left half and box 2 on its right, drawn textured: the
// pixels carry the colours of the two textures.
TEST_F(TextureUpload, ATexturedFrameShowsTheTextureColours) {
    const ImageList images = {solid("red", 255, 0, 0), solid("green", 0, 255, 0)};
    ASSERT_NO_FATAL_FAILURE(upload(
        {box("Red", "red", "red", "red", "NULL"), box("Green", "green", "green", "green", "NULL")},
        images));
    const TTextureList binding = loaded_.Textures.bindingTable(loaded_.Table);

    SceneState state;
    gl::SetupGLState(state);
    gl::BuildFixedLists(0);
    state.Camera.Width = state.Camera.Height = kSize;
    state.Camera.CamPitch = -80; // from above: the lit top faces fill the middle
    state.Camera.CamYaw = 0;
    state.Camera.CamDistance = 8;
    state.ShowGrid = false;
    state.Wireframe = false;
    root_ = makePoxel();
    root_->IsRoot = root_->IsGroup = true;
    auto block = makePoxel(2, 1, 1);
    block->Surface = 0; // no smoothing: flat faces
    block->Voxels[block->cellIndex(0, 0, 0)] = composeCellCode(1, 0, 0, 0);
    block->Voxels[block->cellIndex(1, 0, 0)] = composeCellCode(2, 0, 0, 0);
    AddChildPoxel(*root_, std::move(block));
    gl::BuildPoxelTree(*root_, &binding);
    state.EditRoot = state.ShownRoot = root_.get();
    state.Textures = &binding;
    state.ShowTextures = true;
    gl::RenderFrame(state, false);
    const auto pixels = context()->readPixels();
    // x runs across the picture; which way does not matter here.
    const auto left = average(pixels, kSize, kSize / 2 - 16, kSize / 2 - 5, 10, 10);
    const auto right = average(pixels, kSize, kSize / 2 + 6, kSize / 2 - 5, 10, 10);
    const auto redSide = left[0] > right[0] ? left : right;
    const auto greenSide = left[0] > right[0] ? right : left;
    EXPECT_GT(redSide[0], redSide[1] + 60) << int(redSide[0]) << "," << int(redSide[1]);
    EXPECT_GT(redSide[0], redSide[2] + 60);
    EXPECT_GT(greenSide[1], greenSide[0] + 60) << int(greenSide[0]) << "," << int(greenSide[1]);
    EXPECT_GT(greenSide[1], greenSide[2] + 60);

    // The same frame untextured shows neither.
    state.ShowTextures = false;
    gl::RenderFrame(state, false);
    const auto plain =
        average(context()->readPixels(), kSize, kSize / 2 - 16, kSize / 2 - 5, 10, 10);
    EXPECT_LT(std::abs(int(plain[0]) - int(plain[1])), 30);
    gl::disableTexturing();
}

TEST_F(TextureUpload, TheOverviewHasANumberedTilePerBoxAndAnUntexturedLast) {
    // The labels need a font: a platform without a screen does.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "gl_tests";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance())
        app = std::make_unique<QGuiApplication>(argc, argv);

    const ImageList images = {solid("red", 255, 0, 0), solid("blue", 0, 0, 255),
                              solid("edge", 0, 255, 255)};
    ASSERT_NO_FATAL_FAILURE(upload(
        {box("Red", "red", "red", "red", "NULL"), box("Blue", "blue", "blue", "blue", "edge")},
        images));
    QFont font;
    font.setPixelSize(40);
    const QImage overview =
        gl::BuildBoxOverview(loaded_.Textures.bindingTable(loaded_.Table), font);
    ASSERT_EQ(overview.size(), QSize(kBoxOverviewSize, kBoxOverviewSize));
    EXPECT_EQ(overview.pixelColor(1, 1), QColor(128, 128, 128)) << "the grey between tiles";
    EXPECT_EQ(overview.pixelColor(66, 30), QColor(128, 128, 128));

    auto count = [&](int box, auto&& test) {
        const TileOrigin o = boxTileOrigin(box);
        int n = 0;
        for (int y = o.y; y < o.y + kBoxTileSize; ++y)
            for (int x = o.x; x < o.x + kBoxTileSize; ++x)
                n += test(overview.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    auto reddish = [](QColor c) { return c.red() > c.green() + 60 && c.red() > c.blue() + 60; };
    auto bluish = [](QColor c) { return c.blue() > c.red() + 60 && c.blue() > c.green() + 60; };
    auto lime = [](QColor c) { return c.green() > 150 && c.red() < 90 && c.blue() < 90; };
    EXPECT_GT(count(1, reddish), 300);
    EXPECT_EQ(count(1, bluish), 0);
    EXPECT_GT(count(1, lime), 5) << "the number";
    EXPECT_GT(count(2, bluish), 300);
    // Box 64 is drawn without textures: a lit grey box, neither red nor blue.
    EXPECT_EQ(count(64, reddish), 0);
    EXPECT_EQ(count(64, bluish), 0);
    EXPECT_GT(count(64, [](QColor c) { return c.red() > 60 && c.red() == c.blue(); }), 300);

    // The state the scene relies on is back.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kSize);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureUpload, HeightmapSwatchesGoIntoTheirOwnNames) {
    const NamedImage a = solid("a", 200, 0, 0);
    ASSERT_TRUE(
        gl::UploadHeightmapTextures(gl::kHeightmapTexture1, gl::kHeightmapTexture2, &a, nullptr));
    int w = 0, h = 0;
    const auto pixels = texturePixels(gl::kHeightmapTexture1, &w, &h);
    EXPECT_EQ(pixels[0], 200);
    EXPECT_FALSE(glIsTexture(gl::kHeightmapTexture2)) << "no image, nothing bound there";
    const GLuint both[2] = {gl::kHeightmapTexture1, gl::kHeightmapTexture2};
    glDeleteTextures(2, both);
}
