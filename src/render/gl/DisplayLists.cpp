#include "render/gl/DisplayLists.h"

#include "core/Poxel.h"

#include <GL/gl.h>

namespace lw::gl {

namespace {
void releaseLists(int32_t listId) {
    // Without a current context there is nothing to release (headless runs).
    if (glGetString(GL_VERSION) == nullptr)
        return;
    glDeleteLists(static_cast<GLuint>(listId), 1);
    glDeleteLists(static_cast<GLuint>(listId + 10000), 1);
    glDeleteLists(static_cast<GLuint>(listId + 20000), 1);
}
} // namespace

void installDisplayListReleaseHook() {
    setDisplayListReleaseHook(&releaseLists);
}

} // namespace lw::gl
