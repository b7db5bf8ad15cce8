#include "render/gl/GlFunctions.h"

#include <algorithm>

namespace lw::gl {

namespace {
using ActiveTextureFn = void (*)(GLenum);
using MultiTexCoord2fvFn = void (*)(GLenum, const GLfloat*);

ActiveTextureFn g_activeTexture = nullptr;
ActiveTextureFn g_clientActiveTexture = nullptr;
MultiTexCoord2fvFn g_multiTexCoord2fv = nullptr;

using GenBuffersFn = void (*)(GLsizei, GLuint*);
using DeleteBuffersFn = void (*)(GLsizei, const GLuint*);
using BindBufferFn = void (*)(GLenum, GLuint);
using BufferDataFn = void (*)(GLenum, GLsizeiptr, const void*, GLenum);

GenBuffersFn g_genBuffers = nullptr;
DeleteBuffersFn g_deleteBuffers = nullptr;
BindBufferFn g_bindBuffer = nullptr;
BufferDataFn g_bufferData = nullptr;
using IsBufferFn = GLboolean (*)(GLuint);
using BufferSubDataFn = void (*)(GLenum, GLintptr, GLsizeiptr, const void*);
BufferSubDataFn g_bufferSubData = nullptr;
IsBufferFn g_isBuffer = nullptr;

template <typename Fn> Fn resolveEither(GlProcResolver resolve, const char* core, const char* arb) {
    void* f = resolve(core);
    if (!f)
        f = resolve(arb);
    return reinterpret_cast<Fn>(f);
}
} // namespace

bool loadMultitexture(GlProcResolver resolve) {
    g_activeTexture =
        resolveEither<ActiveTextureFn>(resolve, "glActiveTexture", "glActiveTextureARB");
    g_clientActiveTexture = resolveEither<ActiveTextureFn>(resolve, "glClientActiveTexture",
                                                           "glClientActiveTextureARB");
    g_multiTexCoord2fv =
        resolveEither<MultiTexCoord2fvFn>(resolve, "glMultiTexCoord2fv", "glMultiTexCoord2fvARB");
    if (!hasMultitexture()) {
        g_activeTexture = nullptr;
        g_clientActiveTexture = nullptr;
        g_multiTexCoord2fv = nullptr;
        return false;
    }
    return true;
}

bool hasMultitexture() {
    return g_activeTexture && g_clientActiveTexture && g_multiTexCoord2fv;
}

void activeTexture(GLenum unit) {
    if (g_activeTexture)
        g_activeTexture(unit);
}

void clientActiveTexture(GLenum unit) {
    if (g_clientActiveTexture)
        g_clientActiveTexture(unit);
}

void multiTexCoord2fv(GLenum unit, const GLfloat* v) {
    if (g_multiTexCoord2fv)
        g_multiTexCoord2fv(unit, v);
    else if (unit == GL_TEXTURE0)
        glTexCoord2fv(v);
}

bool loadBufferObjects(GlProcResolver resolve) {
    g_genBuffers = resolveEither<GenBuffersFn>(resolve, "glGenBuffers", "glGenBuffersARB");
    g_deleteBuffers =
        resolveEither<DeleteBuffersFn>(resolve, "glDeleteBuffers", "glDeleteBuffersARB");
    g_bindBuffer = resolveEither<BindBufferFn>(resolve, "glBindBuffer", "glBindBufferARB");
    g_bufferData = resolveEither<BufferDataFn>(resolve, "glBufferData", "glBufferDataARB");
    g_isBuffer = resolveEither<IsBufferFn>(resolve, "glIsBuffer", "glIsBufferARB");
    g_bufferSubData =
        resolveEither<BufferSubDataFn>(resolve, "glBufferSubData", "glBufferSubDataARB");
    return hasBufferObjects();
}

bool hasBufferObjects() {
    return g_genBuffers && g_deleteBuffers && g_bindBuffer && g_bufferData;
}

void genBuffers(GLsizei n, GLuint* buffers) {
    if (g_genBuffers)
        g_genBuffers(n, buffers);
    else
        std::fill(buffers, buffers + n, 0u);
}

void deleteBuffers(GLsizei n, const GLuint* buffers) {
    if (g_deleteBuffers)
        g_deleteBuffers(n, buffers);
}

void bindArrayBuffer(GLuint buffer) {
    if (g_bindBuffer)
        g_bindBuffer(GL_ARRAY_BUFFER, buffer);
}

void arrayBufferSubData(GLintptr offset, GLsizeiptr bytes, const void* data) {
    if (g_bufferSubData)
        g_bufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
}

bool isBuffer(GLuint buffer) {
    return g_isBuffer && g_isBuffer(buffer) == GL_TRUE;
}

void arrayBufferData(GLsizeiptr bytes, const void* data) {
    if (g_bufferData)
        g_bufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
}

void disableTexturing() {
    if (hasMultitexture()) {
        activeTexture(GL_TEXTURE1);
        glDisable(GL_TEXTURE_2D);
        activeTexture(GL_TEXTURE0);
    }
    glDisable(GL_TEXTURE_2D);
}

} // namespace lw::gl
