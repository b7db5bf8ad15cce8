#include "render/gl/HeadlessContext.h"

#include "render/gl/DisplayLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/PoxelLists.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <string>
#include <type_traits>

namespace lw::gl {

namespace {

Error contextError(const std::string& detail) {
    return Error{"", "Cannot create the OpenGL context", detail};
}

std::string eglFailure(const char* call) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s failed (EGL error 0x%04x)", call,
                  static_cast<unsigned>(eglGetError()));
    return buf;
}

// Framebuffer objects are core since 3.0; resolved like every entry point past 1.1.
struct FboFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool load() {
        auto get = [](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(eglGetProcAddress(name));
            return fn != nullptr;
        };
        return get(genFramebuffers, "glGenFramebuffers") &&
               get(deleteFramebuffers, "glDeleteFramebuffers") &&
               get(bindFramebuffer, "glBindFramebuffer") &&
               get(genRenderbuffers, "glGenRenderbuffers") &&
               get(deleteRenderbuffers, "glDeleteRenderbuffers") &&
               get(bindRenderbuffer, "glBindRenderbuffer") &&
               get(renderbufferStorage, "glRenderbufferStorage") &&
               get(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               get(checkFramebufferStatus, "glCheckFramebufferStatus");
    }
};

FboFunctions& fbo() {
    static FboFunctions f;
    return f;
}

void* resolveEgl(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

} // namespace

Result<std::unique_ptr<HeadlessContext>> HeadlessContext::create(int width, int height) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384)
        return contextError("framebuffer size " + std::to_string(width) + " x " +
                            std::to_string(height) + " is out of range");
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return contextError("EGL has no eglGetPlatformDisplayEXT (libEGL missing or too old)");
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
        return contextError("no surfaceless Mesa display (are Mesa's EGL drivers installed?)");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
        return contextError(eglFailure("eglInitialize"));
    if (!eglBindAPI(EGL_OPENGL_API))
        return contextError(eglFailure("eglBindAPI(EGL_OPENGL_API)"));

    const EGLint configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                    EGL_PBUFFER_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &configs) || configs < 1)
        config = nullptr; // the context renders into its own framebuffer object anyway
    const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT)
        return contextError(eglFailure("eglCreateContext (compatibility profile)"));

    std::unique_ptr<HeadlessContext> self(new HeadlessContext);
    self->display_ = display;
    self->context_ = context;
    self->width_ = width;
    self->height_ = height;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return contextError(eglFailure("eglMakeCurrent without a surface"));
    if (!fbo().load())
        return contextError("the context has no framebuffer objects");
    if (!loadMultitexture(&resolveEgl))
        return contextError("Error loading GL_ARB_multitexture!");
    if (!loadBufferObjects(&resolveEgl))
        return contextError("the context has no vertex buffer objects");

    auto& f = fbo();
    f.genFramebuffers(1, &self->framebuffer_);
    f.bindFramebuffer(GL_FRAMEBUFFER, self->framebuffer_);
    f.genRenderbuffers(1, &self->colourBuffer_);
    f.bindRenderbuffer(GL_RENDERBUFFER, self->colourBuffer_);
    f.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              self->colourBuffer_);
    f.genRenderbuffers(1, &self->depthBuffer_);
    f.bindRenderbuffer(GL_RENDERBUFFER, self->depthBuffer_);
    f.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              self->depthBuffer_);
    const GLenum status = f.checkFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "framebuffer incomplete (status 0x%04x)", status);
        return contextError(buf);
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    installDisplayListReleaseHook();
    return self;
}

HeadlessContext::~HeadlessContext() {
    if (!context_)
        return;
    auto display = static_cast<EGLDisplay>(display_);
    auto context = static_cast<EGLContext>(context_);
    if (framebuffer_ && eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        auto& f = fbo();
        f.bindFramebuffer(GL_FRAMEBUFFER, 0);
        f.deleteFramebuffers(1, &framebuffer_);
        f.deleteRenderbuffers(1, &colourBuffer_);
        f.deleteRenderbuffers(1, &depthBuffer_);
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
    forgetContextLists();
    // The display stays initialised: other contexts of this process may share it.
}

Status HeadlessContext::makeCurrent() {
    auto display = static_cast<EGLDisplay>(display_);
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, static_cast<EGLContext>(context_)))
        return contextError(eglFailure("eglMakeCurrent"));
    fbo().bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    return Ok{};
}

void HeadlessContext::doneCurrent() {
    eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                   EGL_NO_CONTEXT);
}

std::vector<uint8_t> HeadlessContext::readPixels() const {
    std::vector<uint8_t> rgba(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

std::array<uint8_t, 4> HeadlessContext::pixel(int x, int y) const {
    std::array<uint8_t, 4> rgba{};
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return rgba;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

} // namespace lw::gl
