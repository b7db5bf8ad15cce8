#include "render/gl/DisplayLists.h"

#include "core/Poxel.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>

namespace lw::gl {

namespace {
void releaseLists(int32_t listId) {
    releasePoxelSlabLists(listId);
    // Without a current context there is nothing to release (headless runs).
    if (glGetString(GL_VERSION) == nullptr)
        return;
    const auto id = static_cast<GLuint>(listId);
    for (GLuint list : {id, id + kEdgeListOffset, id + kPickListOffset})
        glDeleteLists(list, 1);
}
} // namespace

void installDisplayListReleaseHook() {
    setDisplayListReleaseHook(&releaseLists);
}

} // namespace lw::gl
