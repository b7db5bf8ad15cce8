// GPU meshes of poxels drawn in the headless context and read back pixel by pixel.

#include "render/gl/PoxelLists.h"
#include "core/Poxel.h"
#include "render/IdentityColour.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/HeadlessContext.h"
#include "support/HeadlessGlTest.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace lw;
using lw::gl::HeadlessContext;

namespace {

constexpr int kSize = 64;

class PoxelLists : public lwtest::HeadlessGlTest<kSize> {
protected:
    void SetUp() override {
        HeadlessGlTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(gl::hasMultitexture());
    }

    // Looks straight down the y axis onto a square of half-width `half` around the origin:
    // world x to the right, world -z up.
    void topView(float half = 1.0f) {
        half_ = half;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-half, half, -half, half, 0.5, 20.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 5, 0, 0, 0, 0, 0, 0, -1);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_DITHER);
        gl::disableTexturing();
    }

    std::array<uint8_t, 4> at(float x, float z) const {
        const int px = static_cast<int>(std::floor((x / half_ + 1.0f) * kSize / 2));
        const int py = static_cast<int>(std::floor((-z / half_ + 1.0f) * kSize / 2));
        return context()->pixel(px, py);
    }
    uint32_t identityAt(float x, float z) const {
        const auto c = at(x, z);
        return identityOfPixel(c[0], c[1], c[2]);
    }
    static void setIdentity(uint32_t n) {
        const auto c = identityColour(n);
        glColor4fv(c.data());
    }
    static GLuint solidTexture(uint8_t r, uint8_t g, uint8_t b) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        const uint8_t texel[4] = {r, g, b, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }

    // The pick list of `p`, a 64 x 64 poxel, drawn from above in identity 5, and the identity
    // shown where its cell (x, z) lies.
    void drawPick64(const TPoxel& p) {
        topView(32.0f);
        setIdentity(5);
        gl::drawPoxelPickTriangles(p);
    }
    uint32_t cellAt(int x, int z) const {
        return identityAt(static_cast<float>(x) - 31.5f, static_cast<float>(z) - 31.5f);
    }

    float half_ = 1.0f;
};

} // namespace

TEST_F(PoxelLists, PickListDrawsTheLoneCellPrismInItsIdentity) {
    auto p = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*p, nullptr);
    topView();
    setIdentity(static_cast<uint32_t>(p->ListId));
    gl::drawPoxelPickTriangles(*p);
    EXPECT_EQ(identityAt(0.01f, 0.01f), static_cast<uint32_t>(p->ListId));
    EXPECT_EQ(identityAt(0.3f, -0.1f), static_cast<uint32_t>(p->ListId));
    // The vertical edges are bevelled away: the cross-section is the diamond |x| + |z| <= 0.5.
    EXPECT_EQ(identityAt(0.4f, 0.3f), 0u);
    EXPECT_EQ(identityAt(-0.45f, -0.45f), 0u);
    EXPECT_EQ(identityAt(-0.9f, 0.9f), 0u);
}

TEST_F(PoxelLists, TexturedListCarriesColourAndBindsBothUnits) {
    auto p = makePoxel(1, 1, 1);
    p->Color = 0xFF2080E0u; // red 0xE0, green 0x80, blue 0x20
    gl::BuildPoxelMesh(*p, nullptr);
    topView();
    gl::drawPoxelTriangles(*p);
    auto c = at(0.01f, 0.01f);
    EXPECT_EQ(c[0], 0xE0);
    EXPECT_EQ(c[1], 0x80);
    EXPECT_EQ(c[2], 0x20);

    const GLuint red = solidTexture(255, 0, 0), green = solidTexture(0, 255, 0);
    TTextureList table{};
    table[0] = {red, red, red, kNoEdgeTexture};
    table[1] = {green, green, green, kNoEdgeTexture};
    p->Voxels[0] = 3 | 7u << 8; // first texture 1, second texture 2
    gl::BuildPoxelMesh(*p, &table);

    // Unit 1 shows the first texture ...
    topView();
    gl::activeTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl::activeTexture(GL_TEXTURE0);
    gl::drawPoxelTriangles(*p);
    c = at(0.01f, 0.01f);
    EXPECT_EQ((std::array<uint8_t, 3>{c[0], c[1], c[2]}), (std::array<uint8_t, 3>{255, 0, 0}));

    // ... unit 0 the second.
    topView();
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl::drawPoxelTriangles(*p);
    c = at(0.01f, 0.01f);
    EXPECT_EQ((std::array<uint8_t, 3>{c[0], c[1], c[2]}), (std::array<uint8_t, 3>{0, 255, 0}));
    gl::disableTexturing();
    glDeleteTextures(1, &red);
    glDeleteTextures(1, &green);
}

TEST_F(PoxelLists, EdgeListOutlinesThePrism) {
    auto p = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*p, nullptr);
    topView();
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    gl::drawPoxelEdges(*p);
    const auto pixels = context()->readPixels();
    int lit = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (pixels[4 * static_cast<size_t>(y * kSize + x)] == 0)
                continue;
            ++lit;
            const float wx = (x + 0.5f) / kSize * 2 - 1, wz = -((y + 0.5f) / kSize * 2 - 1);
            EXPECT_NEAR(std::fabs(wx) + std::fabs(wz), 0.5f, 0.08f) << x << "," << y;
        }
    EXPECT_GT(lit, 20);
}

TEST_F(PoxelLists, DirectDrawPaintsCellIdentitiesAndLeavesTheMeshAlone) {
    auto p = makePoxel(2, 1, 1);
    gl::BuildPoxelMesh(*p, nullptr);

    // Empty cell 1, then draw for picking: only cell 0 is painted, cell 1 is a point.
    p->Voxels[p->cellIndex(1, 0, 0)] = 0;
    p->DirectDraw = true;
    p->ShowPoints = true;
    topView(1.2f);
    gl::BuildPoxelMesh(*p, nullptr);
    EXPECT_EQ(identityAt(-0.5f, 0.01f), 1u);
    EXPECT_EQ(identityAt(0.5f, 0.01f), 2u);
    EXPECT_EQ(identityAt(0.7f, 0.3f), 0u);
    p->DirectDraw = false;
    p->ShowPoints = false;

    // The pick triangles still hold both cells: the picking build uploaded nothing.
    topView(1.2f);
    setIdentity(77);
    gl::drawPoxelPickTriangles(*p);
    EXPECT_EQ(identityAt(-0.5f, 0.01f), 77u);
    EXPECT_EQ(identityAt(0.5f, 0.01f), 77u);
}

TEST_F(PoxelLists, PointModesPaintLatticeIdentities) {
    auto p = makePoxel(1, 1, 1);
    p->HeightPickMode = true;
    p->HeightPickPass = true;
    topView();
    gl::BuildPoxelMesh(*p, nullptr);
    EXPECT_FALSE(p->ListsBuilt);
    EXPECT_EQ(p->GlLists, 0u);
    // Top-level point (x 1, z 1) sits at world (0.5, 0.5); its point is 4 pixels wide.
    EXPECT_EQ(context()->pixel(47, 15)[0] | context()->pixel(47, 15)[1] << 8, 2002);
    p->HeightPickMode = p->HeightPickPass = false;

    p->LayerPickMode = true;
    p->LayerPickPass = true;
    topView();
    gl::BuildPoxelMesh(*p, nullptr);
    // Corner 3 of level 1 hides corner 3 of level 0 below it.
    EXPECT_EQ(context()->pixel(47, 15)[0], 13);
}

TEST_F(PoxelLists, TreeBuildsEveryPoxelAndDestroyingOneReleasesItsBuffers) {
    auto root = makePoxel();
    root->IsGroup = true;
    auto* child = AddChildPoxel(*root, makePoxel(2, 1, 1));
    auto* grandchild = AddChildPoxel(*child, makePoxel(1, 2, 1));
    gl::BuildPoxelTree(*root, nullptr);
    EXPECT_EQ(root->BoxMax, (TVec3{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(root->GlLists, 0u); // a group only gets its box
    ASSERT_EQ(gl::meshBuffersOf(*child).size(), 1u);
    const GLuint buffer = gl::meshBuffersOf(*grandchild).at(0);
    EXPECT_EQ(grandchild->BoxMax, (TVec3{0.5f, 1.0f, 0.5f}));
    EXPECT_TRUE(gl::isBuffer(buffer));

    ASSERT_TRUE(RemovePoxel(*child, grandchild));
    EXPECT_FALSE(gl::isBuffer(buffer));
    EXPECT_TRUE(gl::isBuffer(gl::meshBuffersOf(*child).at(0)));
}

TEST_F(PoxelLists, LargePoxelsUploadOnlyTheSlabsThatChanged) {
    // 64 x 1 x 64 cells: 3 x 3 slabs of up to 25 x 25 columns, one pixel per cell from above.
    auto p = makePoxel(64, 1, 64);
    const TTextureList table{};
    gl::BuildPoxelMesh(*p, &table);
    const std::vector<uint32_t> slabs = gl::meshBuffersOf(*p);
    ASSERT_EQ(slabs.size(), 9u);
    for (GLuint buffer : slabs)
        EXPECT_TRUE(gl::isBuffer(buffer)) << buffer;
    drawPick64(*p);
    EXPECT_EQ(cellAt(10, 50), 5u);
    EXPECT_EQ(cellAt(10, 10), 5u);

    // A hole in one slab, then one in another: each rebuild shows exactly the cells.
    p->Voxels[p->cellIndex(10, 0, 50)] = 0;
    gl::BuildPoxelMesh(*p, &table);
    drawPick64(*p);
    EXPECT_EQ(cellAt(10, 50), 0u);
    EXPECT_EQ(cellAt(10, 10), 5u);
    p->Voxels[p->cellIndex(10, 0, 10)] = 0;
    p->Voxels[p->cellIndex(10, 0, 50)] = 3;
    gl::BuildPoxelMesh(*p, &table);
    drawPick64(*p);
    EXPECT_EQ(cellAt(10, 50), 5u);
    EXPECT_EQ(cellAt(10, 10), 0u);

    // A colour change reaches every slab.
    p->Color = 0xFF00FF00u;
    gl::BuildPoxelMesh(*p, &table);
    topView(32.0f);
    gl::drawPoxelTriangles(*p);
    EXPECT_EQ(at(-20.5f, 20.5f)[1], 255);
    EXPECT_EQ(at(-20.5f, -20.5f)[1], 255);
    EXPECT_EQ(at(-20.5f, -20.5f)[0], 0);

    // The slab buffers go with the node.
    p.reset();
    for (GLuint buffer : slabs)
        EXPECT_FALSE(gl::isBuffer(buffer)) << buffer;
}

TEST_F(PoxelLists, UndoingARunOfChangesSwapsBackTheBuffersItReplaced) {
    auto p = makePoxel(64, 1, 64);
    const TTextureList table{};
    gl::BuildPoxelMesh(*p, &table);
    const std::vector<uint32_t> before = gl::meshBuffersOf(*p);
    const auto cells = p->Voxels;

    // A run of three changes in two slabs (their cells and neighbours inside them).
    gl::keepSlabBuffersForUndo();
    p->Voxels[p->cellIndex(10, 0, 40)] = 0;
    gl::BuildPoxelMesh(*p, &table);
    p->Voxels[p->cellIndex(11, 0, 40)] = 0;
    gl::BuildPoxelMesh(*p, &table);
    p->Voxels[p->cellIndex(10, 0, 10)] = 0;
    gl::BuildPoxelMesh(*p, &table);
    const std::vector<uint32_t> after = gl::meshBuffersOf(*p);
    ASSERT_EQ(after.size(), before.size());
    int replaced = 0;
    for (size_t k = 0; k < after.size(); ++k)
        replaced += after[k] != before[k];
    EXPECT_EQ(replaced, 2);

    // The undo finds the buffers from before the run, the redo those the run made.
    p->Voxels = cells;
    gl::BuildPoxelMesh(*p, &table);
    EXPECT_EQ(gl::meshBuffersOf(*p), before);
    drawPick64(*p);
    EXPECT_EQ(cellAt(10, 40), 5u);
    EXPECT_EQ(cellAt(10, 10), 5u);
    p->Voxels[p->cellIndex(10, 0, 40)] = 0;
    p->Voxels[p->cellIndex(11, 0, 40)] = 0;
    p->Voxels[p->cellIndex(10, 0, 10)] = 0;
    gl::BuildPoxelMesh(*p, &table);
    EXPECT_EQ(gl::meshBuffersOf(*p), after);
    drawPick64(*p);
    EXPECT_EQ(cellAt(11, 40), 0u);
    EXPECT_EQ(cellAt(10, 10), 0u);
    EXPECT_EQ(cellAt(12, 40), 5u);

    // Both versions go with the node.
    p.reset();
    for (const auto* names : {&before, &after})
        for (GLuint buffer : *names)
            EXPECT_FALSE(gl::isBuffer(buffer)) << buffer;
}

TEST(HeadlessContext, RefusesImpossibleSizesClearly) {
    auto bad = HeadlessContext::create(0, 10);
    ASSERT_FALSE(bad.ok());
    EXPECT_NE(bad.error().message().find("out of range"), std::string::npos);
}
