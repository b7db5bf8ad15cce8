// Reading 3DS meshes into pieces: the chunk walk, the merge, the split and refusals.

#include "io/Model3ds.h"

#include "Chunks3ds.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lwtest;

namespace {

lw::TObjArray3D decodeOk(const Bytes& bytes) {
    auto objects = lw::decode3ds(bytes);
    EXPECT_TRUE(objects.ok()) << objects.error().message();
    return objects.ok() ? *objects : lw::TObjArray3D{};
}

std::string refusal(const Bytes& bytes) {
    auto objects = lw::decode3ds(bytes);
    EXPECT_FALSE(objects.ok());
    return objects.ok() ? "" : objects.error().message();
}

const std::vector<std::array<float, 3>> kTriangle{{1, 2, 3}, {4, 2, 3}, {1, 5, 3}};

TEST(Read3ds, TurnsAxesAndKeepsNames) {
    auto objects = decodeOk(model(meshObject("Rock", kTriangle, {{0, 1, 2}})));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].Name, "Rock");
    EXPECT_EQ(objects[0].Vertices[0], (lw::TVec3{1, 3, -2}));
    EXPECT_EQ(objects[0].BoxMin, (lw::TVec3{1, 3, -5}));
    EXPECT_EQ(objects[0].BoxMax, (lw::TVec3{4, 3, -2}));
    EXPECT_EQ(objects[0].Faces[0], (lw::TFace3D{0, 1, 2, 0}));
}

TEST(Read3ds, SplitsDisconnectedPartsInOrderOfTheirFirstFace) {
    // Faces 0 and 2 belong to the second box, face 1 to the first: pieces are numbered by
    // their lowest face, and each has its own numbering in order of first use.
    auto v = boxVertices(1, 1, 1);
    auto far = boxVertices(1, 1, 1, 10);
    v.insert(v.end(), far.begin(), far.end());
    auto faces = boxFaces(8);
    auto near = boxFaces(0);
    faces.insert(faces.begin() + 1, near.begin(), near.end());
    auto objects = decodeOk(model(meshObject("Two", v, faces)));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].Name, "Two_Group_1");
    EXPECT_EQ(objects[1].Name, "Two_Group_2");
    EXPECT_EQ(objects[0].Vertices.size(), 8u);
    EXPECT_EQ(objects[0].Faces.size(), 12u);
    EXPECT_FLOAT_EQ(objects[0].BoxMin.X, 9.0f);
    EXPECT_FLOAT_EQ(objects[1].BoxMax.X, 1.0f);
    // First use: face (8, 9, 11) of the file becomes (0, 1, 2).
    EXPECT_EQ(objects[0].Faces[0], (lw::TFace3D{0, 1, 2, 0}));
}

TEST(Read3ds, MergesATriangleSoupBeforeSplitting) {
    // Two triangles sharing an edge, every corner written once per face.
    const std::vector<std::array<float, 3>> soup{{0, 0, 0}, {1, 0, 0}, {0, 1, 0},
                                                 {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    auto objects = decodeOk(model(meshObject("Soup", soup, {{0, 1, 2}, {3, 4, 5}})));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].Name, "Soup");
    EXPECT_EQ(objects[0].Vertices.size(), 4u);
    EXPECT_EQ(objects[0].Faces[1], (lw::TFace3D{1, 3, 2, 0}));
}

TEST(Read3ds, MeshesWithoutFacesCamerasAndLightsGiveNothingAndHideNothing) {
    // A mesh of points only, then meshes with cameras, lights and a material between them.
    auto objects = decodeOk(model(
        cat({named("Points", chunk(0x4100, vertexList(kTriangle))),
             named("Camera01", chunk(0x4700, Bytes(32, 0))),
             meshObject("A", kTriangle, {{0, 1, 2}}), named("Light", chunk(0x4600, Bytes(12, 0))),
             chunk(0xAFFF, Bytes(20, 0)), meshObject("B", kTriangle, {{2, 1, 0}})})));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].Name, "A");
    EXPECT_EQ(objects[1].Name, "B");
}

TEST(Read3ds, MalformedFilesAreRefusedWithTheReason) {
    EXPECT_NE(refusal({}).find("too short"), std::string::npos);
    EXPECT_NE(refusal(chunk(0x4D4D, Bytes(40, 0))).find("0x3D3D"), std::string::npos);
    // A face naming vertex 3 of 3.
    EXPECT_NE(refusal(model(meshObject("M", kTriangle, {{0, 1, 3}}))).find("vertex 3 of 3"),
              std::string::npos);
    // Vertex list announcing more vertices than it holds.
    Bytes cut = vertexList(kTriangle);
    cut[6] = 4;
    EXPECT_NE(refusal(model(named("M", chunk(0x4100, cut)))).find("cut short"), std::string::npos);
    // A face list cut short.
    Bytes faces = faceList({{0, 1, 2}, {0, 2, 1}});
    faces[6] = 3;
    EXPECT_NE(refusal(model(named("M", chunk(0x4100, cat({vertexList(kTriangle), faces})))))
                  .find("cut short"),
              std::string::npos);
    // A zero-length chunk would be read forever.
    EXPECT_NE(refusal(model(chunk(0x1234, {}, 0))).find("length 0"), std::string::npos);
    // A mesh chunk longer than its named object.
    EXPECT_NE(
        refusal(model(named("M", chunk(0x4100, vertexList(kTriangle), 500)))).find("runs past"),
        std::string::npos);
    // A name without its terminating zero.
    EXPECT_NE(refusal(model(chunk(0x4000, Bytes{'a', 'b'}))).find("name"), std::string::npos);
}

TEST(Read3ds, DamagedTailAfterTheMeshesKeepsThem) {
    // A keyframe chunk that claims more than the file holds ends the reading.
    Bytes bytes = model(meshObject("A", kTriangle, {{0, 1, 2}}));
    const Bytes tail = chunk(0xB000, Bytes(8, 0), 4000);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    auto objects = decodeOk(bytes);
    ASSERT_EQ(objects.size(), 1u);
}

// Every real file is read or refused; the counts are those of the files.
TEST(Read3ds, RealFiles) {
    LW_REQUIRE_SHARED_TESTDATA();
    const std::filesystem::path dir = std::string(LW_SHARED_TESTDATA_DIR) + "/3ds";
    struct Expect {
        const char* file;
        size_t meshes;
        size_t pieces;
    };
    const Expect expects[] = {
        {"CameraRollAnimWithChildObject.3ds", 2, 2},
        {"cube_four_instances.3ds", 1, 1},
        {"cubes_with_alpha.3DS", 5, 5},
        {"fels.3ds", 1, 1},
        {"iflamigm.3ds", 33, 33},
        {"jeep1.3ds", 7, 40},
        {"pyramob.3DS", 1, 1561},
        {"test1.3ds", 9, 9},
        {"testFormatDetection.3ds", 1, 18},
    };
    size_t seen = 0;
    for (const auto& e : expects) {
        lw::Read3dsStats stats;
        auto objects = lw::Read3ds((dir / e.file).string(), {}, &stats);
        ASSERT_TRUE(objects.ok()) << e.file << ": " << objects.error().message();
        EXPECT_EQ(stats.Meshes.size(), e.meshes) << e.file;
        EXPECT_EQ(objects->size(), e.pieces) << e.file;
        ++seen;
    }
    // pyramob: the camera written before the one mesh must not hide it.
    lw::Read3dsStats stats;
    ASSERT_TRUE(lw::Read3ds((dir / "pyramob.3DS").string(), {}, &stats).ok());
    EXPECT_EQ(stats.Meshes[0].Name, "Torus Knot");
    EXPECT_EQ(stats.Meshes[0].FileVertices, 18876u);
    EXPECT_EQ(stats.Meshes[0].Faces, 31460u);
    for (const char* bad : {"malformed_empty.3ds", "malformed_wrong.3ds"}) {
        auto objects = lw::Read3ds((dir / bad).string());
        EXPECT_FALSE(objects.ok()) << bad;
        ++seen;
    }
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        files += ext == ".3ds";
    }
    EXPECT_EQ(seen, files) << "a 3DS file of the test data is not covered";
}

} // namespace
