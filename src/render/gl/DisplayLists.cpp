#include "render/gl/DisplayLists.h"

#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/gl.h>

#include <vector>

namespace lw::gl {

namespace {

// Generation 0 is never current, so a node that never had lists has none.
uint32_t g_generation = 1;
std::vector<uint32_t> g_pending;

// The fixed lists and the label font use numbers of their own; node lists never take them,
// whichever is compiled first.
bool overlapsFixedLists(GLuint first) {
    auto overlaps = [first](GLuint from, GLuint count) {
        return first < from + count && from < first + 3;
    };
    return overlaps(kListTripod, kListGrid - kListTripod + 1) ||
           overlaps(static_cast<GLuint>(kFontListBase), 256);
}

bool contextCurrent() {
    return glGetString(GL_VERSION) != nullptr;
}

void releaseLists(const TPoxel& node) {
    if (node.GlLists == 0 || node.GlGeneration != g_generation)
        return; // those lists went with their context
    if (!contextCurrent()) {
        g_pending.push_back(node.GlLists);
        return;
    }
    releasePoxelSlabLists(node.GlLists);
    glDeleteLists(node.GlLists, 3);
}

} // namespace

void installDisplayListReleaseHook() {
    setDisplayListReleaseHook(&releaseLists);
}

uint32_t nodeLists(TPoxel& node) {
    if (node.GlLists == 0 || node.GlGeneration != g_generation) {
        GLuint lists = glGenLists(3);
        while (lists != 0 && overlapsFixedLists(lists))
            lists = glGenLists(3); // the skipped names stay taken, for their own lists
        node.GlLists = lists;
        node.GlGeneration = g_generation;
        node.ListsBuilt = false;
    }
    return node.GlLists;
}

bool hasLists(const TPoxel& node) {
    return node.ListsBuilt && node.GlLists != 0 && node.GlGeneration == g_generation;
}

void releasePendingLists() {
    if (g_pending.empty() || !contextCurrent())
        return;
    for (uint32_t lists : g_pending) {
        releasePoxelSlabLists(lists);
        glDeleteLists(lists, 3);
    }
    g_pending.clear();
}

void forgetContextLists() {
    ++g_generation;
    g_pending.clear();
    forgetPoxelSlabLists();
}

uint32_t listGeneration() {
    return g_generation;
}

} // namespace lw::gl
