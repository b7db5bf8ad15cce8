#include "render/gl/DisplayLists.h"

#include "render/gl/PoxelLists.h"

#include <GL/gl.h>

#include <vector>

namespace lw::gl {

namespace {

// Generation 0 is never current, so a node that never had a mesh has none.
uint32_t g_generation = 1;
std::vector<uint32_t> g_pending;

bool contextCurrent() {
    return glGetString(GL_VERSION) != nullptr;
}

void releaseNodeMesh(const TPoxel& node) {
    if (node.GlLists == 0 || node.GlGeneration != g_generation)
        return; // that mesh went with its context
    if (!contextCurrent()) {
        g_pending.push_back(node.GlLists);
        return;
    }
    releaseMeshHandle(node.GlLists);
}

} // namespace

void installDisplayListReleaseHook() {
    setDisplayListReleaseHook(&releaseNodeMesh);
}

uint32_t nodeLists(TPoxel& node) {
    if (node.GlLists == 0 || node.GlGeneration != g_generation) {
        node.GlLists = newMeshHandle();
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
    for (uint32_t handle : g_pending)
        releaseMeshHandle(handle);
    g_pending.clear();
}

void forgetContextLists() {
    ++g_generation;
    g_pending.clear();
    forgetMeshHandles();
}

uint32_t listGeneration() {
    return g_generation;
}

} // namespace lw::gl
