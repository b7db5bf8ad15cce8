// landwright-cli 3ds import, export and info, and the exported files read by a peer reader.

#include "CliRun.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "textures/TextureSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

using namespace lwtest;

namespace {

std::filesystem::path model(const char* name) {
    return sharedFile(std::string("3ds/") + name);
}

// "Label: N" of assimp's summary.
long assimpCount(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(label + ":\\s+(\\d+)")))
        return -1;
    return std::stol(m[1]);
}

TEST(Cli3ds, InfoListsMeshesAndPieces) {
    LW_REQUIRE_SHARED_TESTDATA();
    auto r = cli({"3ds info", model("jeep1.3ds"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"name\": \"main\", \"fileVertices\": 1060, \"vertices\": 750, "
                         "\"faces\": 1192, \"pieces\": 32"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"pieces\": 40}"), std::string::npos);
    auto bad = cli({"3ds info", model("malformed_wrong.3ds")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Bad 3ds file"), std::string::npos);
}

TEST(Cli3ds, ImportIntoANewMapAndIntoAMap) {
    LW_REQUIRE_SHARED_TESTDATA();
    TempDir dir;
    auto r = cli({"3ds import", model("CameraRollAnimWithChildObject.3ds"), dir / "a.xom",
                  "--max-layers 4 --no-layers-smooth"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto root = lw::readMapFile((dir / "a.xom").string());
    ASSERT_TRUE(root.ok()) << root.error().message();
    ASSERT_EQ((*root)->Children.size(), 1u);
    const lw::TPoxel& group = *(*root)->Children[0];
    EXPECT_EQ(group.Name, "CameraRollAnimWithChildObject.3ds");
    ASSERT_EQ(group.Children.size(), 2u);
    EXPECT_EQ(group.Children[1]->Name, "Box02");
    EXPECT_EQ(group.Children[0]->NY, 3);

    // Into an existing map: a second group beside the first.
    r = cli(
        {"3ds import", model("fels.3ds"), dir / "b.xom", "--into", dir / "a.xom", "--height-map"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    root = lw::readMapFile((dir / "b.xom").string());
    ASSERT_TRUE(root.ok());
    EXPECT_EQ((*root)->Children.size(), 2u);
}

TEST(Cli3ds, RefusedImportsWriteNothing) {
    LW_REQUIRE_SHARED_TESTDATA();
    TempDir dir;
    const auto out = dir / "out.xom";
    EXPECT_EQ(cli({"3ds import", model("malformed_wrong.3ds"), out}).exitCode, 1);
    auto r = cli({"3ds import", model("fels.3ds"), out, "--max-layers 40"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Max Layers"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Every exported file loads in assimp with the meshes and faces written; its raw import
// unshares the vertices, three per face.
struct Written {
    long meshes = 0;
    long faces = 0;
};
// The meshes and faces of a file as our own reader lists them.
Written ourCounts(const std::filesystem::path& file) {
    auto info = cli({"3ds info", file, "--json"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    Written w;
    const std::regex face("\"faces\": (\\d+)");
    for (auto it = std::sregex_iterator(info.out.begin(), info.out.end(), face);
         it != std::sregex_iterator(); ++it) {
        ++w.meshes;
        w.faces += std::stol((*it)[1]);
    }
    return w;
}

// `meshes` is the count assimp should list: it splits a mesh per material, so a textured mesh
// becomes one per texture it is drawn with.
void expectPeerReads(const std::filesystem::path& file, long meshes = -1) {
    const Written ours = ourCounts(file);
    ASSERT_GT(ours.faces, 0);
    const long faces = ours.faces;
    auto raw = runCommand("assimp info " + shellQuoted(file) + " -r 2>&1");
    ASSERT_EQ(raw.exitCode, 0) << "assimp (Debian assimp-utils, see scripts/install-deps) "
                                  "could not read the file:\n"
                               << raw.out;
    EXPECT_EQ(assimpCount(raw.out, "Meshes"), meshes < 0 ? ours.meshes : meshes) << raw.out;
    EXPECT_EQ(assimpCount(raw.out, "Faces"), faces);
    EXPECT_EQ(assimpCount(raw.out, "Vertices"), 3 * faces);
    auto processed = runCommand("assimp info " + shellQuoted(file) + " 2>&1");
    // With its default steps (degenerate faces dropped) it must still load.
    EXPECT_EQ(processed.exitCode, 0) << processed.out;
}

using Cli3dsExport = DemoCli;

TEST_F(Cli3dsExport, ExportedFilesLoadInAPeerReader) {
    LW_REQUIRE_SHARED_TESTDATA();
    auto r = cli({"3ds export", demo_, dir_ / "demo.3ds"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectPeerReads(dir_ / "demo.3ds");

    // A voxelised model exported again, and one node of it as "Select Model".
    const auto jeep = dir_ / "jeep.xom";
    ASSERT_EQ(cli({"3ds import", model("jeep1.3ds"), jeep}).exitCode, 0);
    r = cli({"3ds export", jeep, dir_ / "jeep.3ds"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectPeerReads(dir_ / "jeep.3ds");
    r = cli({"3ds export", jeep, dir_ / "one.3ds", "--node 2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ourCounts(dir_ / "one.3ds").meshes, 1);
    expectPeerReads(dir_ / "one.3ds");
    EXPECT_EQ(cli({"3ds export", jeep, dir_ / "x.3ds", "--textures"}).exitCode, 2);
}

// A TGA texture folder (A01 and W68 mark it), a list of two boxes and a map of one poxel per
// box: box 1 is grass on dirt, box 2 `cliffTop` on dirt with A01 as its edge overlay.
struct TexturedExport {
    TempDir sources;
    TempDir out;
    std::vector<uint8_t> grassPixels = pattern(4 * 2 * 3, 1); // B, G, R, bottom row first
    std::vector<uint8_t> dirtPixels = pattern(3 * 3, 2);

    explicit TexturedExport(const std::string& cliffTop) {
        writeBytes(sources / "A01.tga", tgaFile(1, 1, 24, pattern(3, 3)));
        writeBytes(sources / "W68.tga", tgaFile(1, 1, 24, pattern(3, 4)));
        writeBytes(sources / "grass.tga", tgaFile(4, 2, 24, grassPixels));
        writeBytes(sources / "dirt.tga", tgaFile(3, 1, 24, dirtPixels));
        writeBytes(sources / "rock.tga", tgaFile(1, 1, 24, pattern(3, 5)));
        const std::string list = "grass\r\ndirt\r\ndirt\r\nNULL\r\nMeadow\r\n\r\n" + cliffTop +
                                 "\r\n" + cliffTop + "\r\ndirt\r\nA01\r\nCliff\r\n\r\n";
        writeBytes(sources / "list.txt", std::vector<uint8_t>(list.begin(), list.end()));
        auto root = lw::newMapRoot();
        for (int box : {1, 2}) {
            auto p = lw::makePoxel(3, 2, 2);
            p->Name = box == 1 ? "Meadow" : "Cliff";
            p->Pos = {float(box * 4), 0, 0};
            p->Color = 0xFF808080u;
            lw::FillVoxels(*p, uint32_t(4 * box - 1)); // the cell code of box n
            lw::AddChildPoxel(*root, std::move(p));
        }
        EXPECT_TRUE(lw::WriteMapFile(*root, (sources / "map.xom").string()).ok());
    }

    CommandResult run() const {
        return cli({"3ds export", sources / "map.xom", out / "scene.3ds", "--textures",
                    "--texture-list", sources / "list.txt", "--bundles", sources.path()});
    }

    std::vector<std::string> written() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ImageMagick's reading of a TGA file as B, G, R bytes, bottom row first.
std::vector<uint8_t> referenceBgrBottomUp(const std::filesystem::path& tga) {
    TempDir dir;
    const auto raw = dir / "pixels.raw";
    auto r = runCommand("/usr/bin/convert " + shellQuoted(tga) +
                        " -auto-orient -flip -depth 8 bgr:" + shellQuoted(raw));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return readBytes(raw);
}

TEST(Cli3ds, ExportWithTexturesWritesTheTgaFilesItsMaterialsName) {
    const TexturedExport e("rock");
    auto r = e.run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(e.written(),
              (std::vector<std::string>{"dirt.tga", "grass.tga", "rock.tga", "scene.3ds"}));
    // The material chunks name the files; the edge overlay A01 is drawn on no face.
    const auto bytes = readBytes(e.out / "scene.3ds");
    const std::string text(bytes.begin(), bytes.end());
    for (const std::string file : {"dirt.tga", "grass.tga", "rock.tga"})
        EXPECT_NE(text.find(file + '\0'), std::string::npos) << file;
    EXPECT_EQ(text.find("A01"), std::string::npos);
    // Two meshes of two textures each; dirt in the colour both share is one material.
    EXPECT_EQ(ourCounts(e.out / "scene.3ds").meshes, 2);
    expectPeerReads(e.out / "scene.3ds", 4);

    if (!std::filesystem::exists("/usr/bin/convert"))
        GTEST_SKIP() << "/usr/bin/convert is not installed (scripts/install-deps)";
    EXPECT_EQ(referenceBgrBottomUp(e.out / "grass.tga"), e.grassPixels);
    EXPECT_EQ(referenceBgrBottomUp(e.out / "dirt.tga"), e.dirtPixels);
}

TEST(Cli3ds, ExportWithATextureNoImageCarriesWritesNothing) {
    const TexturedExport e("lava");
    auto r = e.run();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Texture not found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("'lava'"), std::string::npos) << r.err;
    EXPECT_TRUE(e.written().empty());
}

} // namespace
