#pragma once
// An OpenGL context without a display: EGL on Mesa's surfaceless platform, a compatibility
// profile (display lists, fixed function, GLU) rendering into a framebuffer object.

#include "core/Result.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace lw::gl {

class HeadlessContext {
public:
    // Creates the context with a width x height RGBA8 + depth framebuffer, makes it current,
    // binds the framebuffer, sets the viewport and loads the multitexture entry points.
    static Result<std::unique_ptr<HeadlessContext>> create(int width, int height);
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    // Makes this context current on the calling thread with its framebuffer bound.
    Status makeCurrent();
    // Leaves the calling thread without a current context.
    void doneCurrent();
    int width() const { return width_; }
    int height() const { return height_; }

    // The framebuffer as RGBA rows, bottom row first.
    std::vector<uint8_t> readPixels() const;
    // One pixel, (0, 0) = bottom left.
    std::array<uint8_t, 4> pixel(int x, int y) const;

private:
    HeadlessContext() = default;

    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned framebuffer_ = 0;
    unsigned colourBuffer_ = 0;
    unsigned depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace lw::gl
