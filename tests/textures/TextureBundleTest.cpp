// Texture bundles written by the program and the demo's textures: what is written reads back
// through the browser's own reader, and what the browser could not read is refused.

#include "textures/TextureBundle.h"
#include "textures/DemoTextures.h"
#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"
#include "textures/TextureListDocument.h"
#include "textures/TextureTable.h"

#include "core/MapGenerator.h"
#include "render/PoxelMesh.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace lw;
using lwtest::TempDir;

namespace {

BundleImageSource image(std::string name, int w, int h, int bits, uint8_t seed = 1) {
    BundleImageSource im{std::move(name), w, h, bits, {}};
    im.pixels.resize(size_t(w) * size_t(h) * size_t(bits / 8));
    for (size_t i = 0; i < im.pixels.size(); ++i)
        im.pixels[i] = uint8_t(i * 31 + seed);
    return im;
}

} // namespace

TEST(TextureBundle, WrittenImagesReadBackWithTheirNamesAndPixels) {
    // Odd sizes and both pixel formats; the first name needs a two-byte name index nowhere, the
    // cut drops the folder and the extension.
    const std::vector<BundleImageSource> in = {image("Demo\\grass.tga", 3, 5, 24),
                                               image("water.tga", 4, 2, 32, 9),
                                               image("Sub\\Dir\\rock", 1, 1, 24, 3)};
    auto bytes = encodeTextureBundle(in);
    ASSERT_TRUE(bytes) << bytes.error().message();
    auto images = readBundleImages(*bytes);
    ASSERT_TRUE(images) << images.error().message();
    ASSERT_EQ(images->size(), 3u);
    EXPECT_EQ((*images)[0].name, "grass");
    EXPECT_EQ((*images)[1].name, "water");
    EXPECT_EQ((*images)[2].name, cutBundleImageName("Sub\\Dir\\rock"));
    for (size_t i = 0; i < in.size(); ++i) {
        auto decoded = ShowImage((*images)[i].record, false);
        ASSERT_TRUE(decoded) << decoded.error().message();
        EXPECT_EQ(decoded->width, in[i].width);
        EXPECT_EQ(decoded->height, in[i].height);
        EXPECT_EQ(decoded->bits, in[i].bits);
        // Decoded rows run top down in B, G, R(, A); the source runs bottom up in R, G, B(, A).
        const size_t bpp = size_t(in[i].bits / 8);
        const size_t rowBytes = size_t(in[i].width) * bpp;
        for (int y = 0; y < in[i].height; ++y)
            for (size_t x = 0; x < rowBytes; x += bpp) {
                const uint8_t* src = in[i].pixels.data() + size_t(y) * rowBytes + x;
                const uint8_t* dst =
                    decoded->pixels.data() + size_t(in[i].height - 1 - y) * rowBytes + x;
                ASSERT_EQ(dst[0], src[2]);
                ASSERT_EQ(dst[1], src[1]);
                ASSERT_EQ(dst[2], src[0]);
                if (bpp == 4) {
                    ASSERT_EQ(dst[3], src[3]);
                }
            }
    }

    // A bundle without images has none.
    bytes = encodeTextureBundle({});
    ASSERT_TRUE(bytes);
    images = readBundleImages(*bytes);
    ASSERT_TRUE(images);
    EXPECT_TRUE(images->empty());
}

TEST(TextureBundle, ImagesTheBrowserCouldNotReadAreRefused) {
    EXPECT_FALSE(encodeTextureBundle({image("", 2, 2, 24)}));
    EXPECT_FALSE(encodeTextureBundle({image("big", 513, 2, 24)}));
    EXPECT_FALSE(encodeTextureBundle({image("none", 0, 2, 24)}));
    EXPECT_FALSE(encodeTextureBundle({image("bits", 2, 2, 16)}));
    BundleImageSource cut = image("cut", 2, 2, 24);
    cut.pixels.pop_back();
    auto refused = encodeTextureBundle({cut});
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().detail.find("\"cut\""), std::string::npos);
    // Pixels spelling the record tag would end the record early when it is read.
    BundleImageSource tag = image("tag", 2, 2, 24);
    std::copy_n("CTNR", 4, tag.pixels.begin() + 3);
    auto spelled = encodeTextureBundle({tag});
    ASSERT_FALSE(spelled);
    EXPECT_NE(spelled.error().detail.find("CTNR"), std::string::npos);
}

TEST(DemoTextures, SixTileableImagesTheBrowserShows) {
    const auto images = demoTextureImages();
    ASSERT_EQ(images.size(), 6u);
    std::set<std::string> names;
    for (const auto& im : images) {
        names.insert(cutBundleImageName(im.name));
        EXPECT_EQ(im.width, kDemoTextureSide);
        EXPECT_EQ(im.bits, cutBundleImageName(im.name) == "water" ? 32 : 24) << im.name;
        if (cutBundleImageName(im.name) == "brick")
            continue; // a pattern of whole bricks: its joints are edges by design
        // Seamless: the last column runs into the first about as smoothly as neighbours do.
        const size_t bpp = size_t(im.bits / 8), row = size_t(im.width) * bpp;
        long wrap = 0, inside = 0;
        for (int y = 0; y < im.height; ++y) {
            const uint8_t* r = im.pixels.data() + size_t(y) * row;
            for (size_t c = 0; c < 3; ++c) {
                wrap += std::abs(int(r[c]) - int(r[row - bpp + c]));
                inside += std::abs(int(r[c]) - int(r[bpp + c]));
            }
        }
        EXPECT_LT(wrap, inside * 3 + 3000) << im.name;
    }
    EXPECT_EQ(names, (std::set<std::string>{"grass", "rock", "sand", "snow", "water", "brick"}));
    // The images differ from each other: each draws something of its own.
    EXPECT_NE(images[0].pixels, images[1].pixels);
}

TEST(DemoTextures, TheFolderHasTheBundleLayoutAndTheListLoadsEveryBoxTheMapPaints) {
    TempDir dir;
    const DemoTextureFiles files = demoTextureFilesBeside((dir / "demo.xom").string());
    EXPECT_EQ(files.listFile, (dir / "demo-textures.txt").string());
    EXPECT_EQ(files.bundleFolder, (dir / "demo-bundles").string());
    ASSERT_TRUE(writeDemoTextures(files));

    EXPECT_EQ(detectFolderLayout(files.bundleFolder), FolderLayout::Bundles);
    FolderImages loaded = loadImageFolder(files.bundleFolder, FolderLayout::Bundles);
    ASSERT_FALSE(loaded.error) << loaded.error->message();
    ASSERT_EQ(loaded.images.size(), 6u);
    EXPECT_EQ(loaded.images.front().name, "brick"); // sorted by name
    EXPECT_NE(loaded.images.front().source.find("Bundle07.xom"), std::string::npos);

    auto list = readTextureListFile(files.listFile);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, demoTextureList());
    const TextureUpload plan = planTextureUpload(*list, loaded.images);
    EXPECT_TRUE(plan.status) << plan.status.error().message();

    // Every box number the demo map paints has a box in the list.
    auto map = makeDemoMap();
    int highest = 0;
    std::vector<const TPoxel*> stack{map.get()};
    while (!stack.empty()) {
        const TPoxel* n = stack.back();
        stack.pop_back();
        for (uint32_t cell : n->Voxels) {
            highest = std::max(highest, textureIndexOfCode(firstTextureCode(cell)) + 1);
            highest = std::max(highest, textureIndexOfCode(secondTextureCode(cell)) + 1);
        }
        for (const auto& c : n->Children)
            stack.push_back(c.get());
    }
    EXPECT_GT(highest, 1);
    EXPECT_LE(highest, int(list->Boxes.size()));
}
