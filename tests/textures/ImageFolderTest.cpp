// Gathering images from texture bundles, theme folders and TGA folders; saving one as TGA.

#include "textures/ImageFolder.h"
#include "TextureSamples.h"
#include "support/TestSupport.h"
#include "textures/ImageRecord.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesOf(const ImageList& images) {
    std::vector<std::string> names;
    for (const auto& im : images)
        names.push_back(im.name);
    return names;
}

std::vector<int> bundleNumbers() {
    std::vector<int> n;
    for (int i = 7; i <= 12; ++i)
        n.push_back(i);
    for (int i = 43; i <= 88; ++i)
        n.push_back(i);
    return n;
}

std::string bundleName(int n) {
    return std::string("Bundle") + (n < 10 ? "0" : "") + std::to_string(n) + ".xom";
}

// A complete bundle folder: Bundle07 and Bundle43 hold images (both one named "Rock"), the
// others none.
void writeBundleFolder(const fs::path& dir) {
    for (int n : bundleNumbers()) {
        std::vector<BundleImage> images;
        if (n == 7)
            images = {{"Tex\\Rock.tga", 2, 2, 1}, {"beach", 1, 1, 2}};
        if (n == 43)
            images = {{"Rock", 3, 1, 3}, {"Arch", 1, 2, 4}};
        writeBytes(dir / bundleName(n), bundleFile(images));
    }
    // Two land libraries that mark the folder; the browser does not read them.
    writeBytes(dir / "Bundle19.xom", bundleFile({{"Horror", 1, 1, 5}}));
    writeBytes(dir / "Bundle23.xom", bundleFile({{"Lunar", 1, 1, 6}}));
}

} // namespace

TEST(BundleImages, WalkTheImageTypeOnlyAndCopyEachRecordUpToTheNextTag) {
    auto images = readBundleImages(bundleFile({{"a", 2, 2, 1}, {"b", 4, 3, 2}}));
    ASSERT_TRUE(images);
    ASSERT_EQ(namesOf(*images), (std::vector<std::string>{"a", "b"}));
    // The records are the objects without their tags: the first ends at the second's tag, the
    // last before the XTexture object.
    EXPECT_EQ((*images)[0].record, recordOf(ximageObject(1, 2, 2, 0, pattern(12, 1))));
    EXPECT_EQ((*images)[1].record, recordOf(ximageObject(2, 4, 3, 0, pattern(36, 2))));
    auto shown = ShowImage((*images)[1].record, true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->description(), "4x3x24bit type:1");
}

TEST(BundleImages, NameCuttingSlotZeroAndSlotsOutsideTheTable) {
    EXPECT_EQ(cutBundleImageName("textures\\ground\\rock.tga"), "rock");
    // The first "." is cut before the remaining folders are dropped.
    EXPECT_EQ(cutBundleImageName("a\\b.c\\d.e"), "b");
    EXPECT_EQ(cutBundleImageName("x.y\\z"), "z");
    EXPECT_EQ(cutBundleImageName(".tga"), "");
    EXPECT_EQ(cutBundleImageName("plain"), "plain");

    XomBuilder x;
    x.strings = {"one"};
    x.types.push_back({"XImage",
                       {ximageObject(0, 1, 1, 0, {1, 2, 3}), ximageObject(9, 1, 1, 0, {1, 2, 3}),
                        ximageObject(1, 1, 1, 0, {1, 2, 3})}});
    auto images = readBundleImages(x.build());
    ASSERT_TRUE(images);
    EXPECT_EQ(namesOf(*images), (std::vector<std::string>{"...", "[OUT]", "one"}));
    // The last record runs to the end of the file.
    EXPECT_EQ(images->back().record, recordOf(ximageObject(1, 1, 1, 0, {1, 2, 3})));
}

TEST(BundleImages, BundlesWithoutImagesOrWithBrokenFramingAreHandled) {
    XomBuilder none;
    none.types.push_back({"XGraphSet", {RecordBytes(0).b}});
    auto empty = readBundleImages(none.build());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    const auto good = bundleFile({{"a", 2, 2, 1}});
    EXPECT_FALSE(readBundleImages(std::vector<uint8_t>(good.begin(), good.begin() + 40)));
    auto hugeTypes = good;
    storeU32(hugeTypes, 24, 0xFFFF);
    EXPECT_FALSE(readBundleImages(hugeTypes));
    // An image record cut inside its name is refused, not read past.
    XomBuilder cut;
    cut.types.push_back({"XImage", {{'C', 'T', 'N', 'R', 0, 0}}});
    EXPECT_FALSE(readBundleImages(cut.build()));
}

TEST(ImageFolders, LayoutsAreRecognisedByTheirEntries) {
    TempDir bundles, themes, tgas, other;
    writeBundleFolder(bundles.path());
    for (const char* d : {"Custom", "ThemeArabian", "ThemeBuilding", "ThemeCamelot",
                          "ThemePrehistoric", "ThemeWildwest"})
        fs::create_directory(themes / d);
    writeBytes(tgas / "A01.tga", tgaFile(1, 1, 24, {1, 2, 3}));
    writeBytes(tgas / "W68.tga", tgaFile(1, 1, 24, {1, 2, 3}));
    writeBytes(other / "A01.tga", {});
    fs::create_directory(other / "W68.tga"); // a folder is not the file

    EXPECT_EQ(detectFolderLayout(bundles.path().string()), FolderLayout::Bundles);
    EXPECT_EQ(detectFolderLayout(themes.path().string()), FolderLayout::Themes);
    EXPECT_EQ(detectFolderLayout(tgas.path().string()), FolderLayout::TgaFiles);
    EXPECT_EQ(detectFolderLayout(other.path().string()), FolderLayout::None);
    EXPECT_EQ(detectFolderLayout((other / "missing").string()), FolderLayout::None);

    // Letter case of the game's file names does not matter.
    fs::rename(bundles / "Bundle07.xom", bundles / "bundle07.XOM");
    EXPECT_EQ(detectFolderLayout(bundles.path().string()), FolderLayout::Bundles);
    auto loaded = loadImageFolder(bundles.path().string(), FolderLayout::Bundles);
    EXPECT_FALSE(loaded.error);
    EXPECT_EQ(loaded.images.size(), 4u);
}

TEST(ImageFolders, BundleFolderSortedIgnoringCaseSameNamesInBundleOrder) {
    TempDir dir;
    writeBundleFolder(dir.path());
    auto loaded = loadImageFolder(dir.path().string(), FolderLayout::Bundles);
    ASSERT_FALSE(loaded.error) << loaded.error->message();
    EXPECT_EQ(namesOf(loaded.images), (std::vector<std::string>{"Arch", "beach", "Rock", "Rock"}));
    // Both "Rock" images stay; the one of Bundle07 (2 x 2) comes first and is the one found.
    const NamedImage* rock = FindImage(loaded.images, "Rock");
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock, &loaded.images[2]);
    EXPECT_EQ(ShowImage(rock->record, false)->width, 2);
    EXPECT_EQ(FindImage(loaded.images, "rock"), nullptr);
}

TEST(ImageFolders, ABundleThatCannotBeReadStopsTheLoadAndKeepsWhatWasRead) {
    TempDir dir;
    writeBundleFolder(dir.path());
    fs::remove(dir / "Bundle44.xom");
    auto loaded = loadImageFolder(dir.path().string(), FolderLayout::Bundles);
    ASSERT_TRUE(loaded.error);
    EXPECT_EQ(loaded.error->text, "Error Loading Files!!!");
    EXPECT_NE(loaded.error->detail.find("Bundle44.xom"), std::string::npos);
    EXPECT_EQ(loaded.images.size(), 4u); // Bundle07 and Bundle43 were read before

    // A bundle that is there but broken is reported the same way, naming it.
    writeBytes(dir / "Bundle44.xom", bundleFile({}));
    writeBytes(dir / "Bundle08.xom", {'M', 'O', 'I', 'K'});
    loaded = loadImageFolder(dir.path().string(), FolderLayout::Bundles);
    ASSERT_TRUE(loaded.error);
    EXPECT_NE(loaded.error->detail.find("Bundle08.xom"), std::string::npos);
    EXPECT_EQ(namesOf(loaded.images), (std::vector<std::string>{"beach", "Rock"}));
}

TEST(ImageFolders, ThemeFolderReadsThemesThenBanksSkippingMissingFiles) {
    TempDir dir;
    for (const char* d : {"Custom", "ThemeArabian", "ThemeBuilding", "ThemeCamelot",
                          "ThemePrehistoric", "ThemeWildwest", "Custom/Bank02"})
        fs::create_directory(dir / d);
    const auto tga = tgaFile(1, 1, 24, {1, 2, 3});
    writeBytes(dir / "ThemeArabian" / "A01.tga", tga);
    writeBytes(dir / "ThemeArabian" / "A65.tga", tga); // beyond 64: not read
    writeBytes(dir / "ThemeWildwest" / "W64.tga", tga);
    writeBytes(dir / "ThemeCamelot" / "A02.tga", tga); // wrong letter: not read
    writeBytes(dir / "Custom" / "Bank02" / "B02_10.tga", tga);
    writeBytes(dir / "Custom" / "Bank02" / "B02_11.tga", tga);
    auto loaded = loadImageFolder(dir.path().string(), FolderLayout::Themes);
    EXPECT_FALSE(loaded.error);
    EXPECT_EQ(namesOf(loaded.images), (std::vector<std::string>{"A01", "B02_10", "W64"}));
    EXPECT_EQ(loaded.images[0].record, tga);
}

TEST(ImageFolders, TgaFolderTakesEveryTgaFileButNoFolders) {
    TempDir dir;
    const auto tga = tgaFile(1, 1, 24, {1, 2, 3});
    for (const char* f : {"A01.tga", "W68.tga", "b.old.TGA", "notes.txt"})
        writeBytes(dir / f, tga);
    fs::create_directory(dir / "dir.tga");
    auto loaded = loadImageFolder(dir.path().string(), FolderLayout::TgaFiles);
    EXPECT_FALSE(loaded.error);
    EXPECT_EQ(namesOf(loaded.images), (std::vector<std::string>{"A01", "b", "W68"}));
    EXPECT_EQ(tgaImageName("/x/y/A01.tga"), "A01");
}

TEST(SaveImageAsTga, WritesTheDecodedImageOrNothing) {
    TempDir dir;
    const std::vector<uint8_t> rgba = pattern(3 * 2 * 4);
    ImageList images = {{"Big", recordOf(ximageObject(1, 600, 1, 0, std::vector<uint8_t>(1800)))},
                        {"Leaf", recordOf(ximageObject(1, 3, 2, 4, rgba))}};
    const auto out = dir / "leaf.tga";
    ASSERT_TRUE(SaveImageAsTga(images, "Leaf", out.string()));
    const auto file = readBytes(out);
    ASSERT_EQ(file.size(), 18u + 24u);
    EXPECT_EQ(file[2], 2);
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 0);
    // Bottom row first, each pixel B, G, R, A with no blending.
    EXPECT_EQ((std::vector<uint8_t>(file.begin() + 18, file.begin() + 22)),
              (std::vector<uint8_t>{rgba[2], rgba[1], rgba[0], rgba[3]}));

    // An unknown name or an image that cannot be decoded leaves the file as it was.
    auto unknown = SaveImageAsTga(images, "leaf", out.string());
    ASSERT_FALSE(unknown);
    EXPECT_NE(unknown.error().detail.find("'leaf'"), std::string::npos);
    auto big = SaveImageAsTga(images, "Big", out.string());
    ASSERT_FALSE(big);
    EXPECT_NE(big.error().detail.find("Big"), std::string::npos);
    EXPECT_EQ(readBytes(out), file);
    EXPECT_FALSE(SaveImageAsTga(images, "Big", (dir / "new.tga").string()));
    EXPECT_FALSE(fs::exists(dir / "new.tga"));
}
