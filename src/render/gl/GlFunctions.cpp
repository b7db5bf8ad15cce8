#include "render/gl/GlFunctions.h"

namespace lw::gl {

namespace {
using ActiveTextureFn = void (*)(GLenum);
using MultiTexCoord2fvFn = void (*)(GLenum, const GLfloat*);

ActiveTextureFn g_activeTexture = nullptr;
ActiveTextureFn g_clientActiveTexture = nullptr;
MultiTexCoord2fvFn g_multiTexCoord2fv = nullptr;

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

void disableTexturing() {
    if (hasMultitexture()) {
        activeTexture(GL_TEXTURE1);
        glDisable(GL_TEXTURE_2D);
        activeTexture(GL_TEXTURE0);
    }
    glDisable(GL_TEXTURE_2D);
}

} // namespace lw::gl
