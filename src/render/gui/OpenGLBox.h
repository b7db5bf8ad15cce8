#pragma once
// The 3D view: a QOpenGLWidget with a compatibility-profile context (display lists, fixed
// function), a depth buffer and no multisampling, drawing the scene of a SceneState. It is the
// tools' pick source. Its interaction code (the number of the cursor shown) tells what a click
// will do; the main window sets it and hands the view's events to the tools through the
// signals below.

#include "render/InteractionCode.h"
#include "render/PickSource.h"
#include "render/SceneState.h"

#include <QOpenGLWidget>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QOpenGLFramebufferObject;

namespace lw {

class TOpenGLBox : public QOpenGLWidget, public PickSource {
    Q_OBJECT
    Q_PROPERTY(bool OnOpenGL READ OnOpenGL WRITE setOnOpenGL STORED false)
    Q_PROPERTY(int cursorCode READ cursorCode WRITE setCursorCode)

public:
    explicit TOpenGLBox(SceneState& state, QWidget* parent = nullptr);
    ~TOpenGLBox() override;

    // Whether the view has the keyboard focus; writing true gives it the focus.
    bool OnOpenGL() const { return hasFocus(); }
    void setOnOpenGL(bool on);

    int cursorCode() const { return cursorCode_; }
    void setCursorCode(int code);

    // True once the context exists and the fixed lists are compiled.
    bool glReady() const { return ready_; }
    // "Error loading GL_ARB_multitexture!" when the entry points were missing, else empty.
    const QString& glError() const { return glError_; }

    // Draws a pick pass at (x, y) (client pixels) into a framebuffer of its own, never shown,
    // and returns the identity under the pointer (0 = nothing), with the scene state as it is.
    // Leaves the context current.
    uint32_t PickAt(int x, int y);
    // PickSource: device pixels, the cell pass while `pass` asks for it.
    double pixelRatio() const override { return devicePixelRatioF(); }
    PickWindow pickWindow(int x, int y, int radius, PickPass pass) override;
    // Runs `work` with the view's context current (for building or releasing GPU meshes).
    template <typename F> void withContext(F&& work) {
        makeCurrent();
        work();
        doneCurrent();
    }

    // The cursor image of an interaction code (our own drawing); tests compare them.
    static QCursor cursorForCode(int code);

signals:
    // The context was (re)created: meshes must be built again.
    void glInitialized();
    // The context is about to go: every list dies with it.
    void glAboutToBeDestroyed();
    void mouseDown(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void clicked();
    // The wheel's angle in eighths of a degree, positive = up (away from the user); touchpads
    // and fine wheels send small parts of a step.
    void wheelTurned(int angleDelta);
    void pointerLeft();
    void keyDown(QKeyEvent* event);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // The pick pass around device pixel (x, y) as the state stands.
    std::vector<uint32_t> pickPixels(int x, int y, int radius);

    SceneState& state_;
    int cursorCode_ = CodeSelectNothing;
    bool ready_ = false;
    QString glError_;
    std::unique_ptr<QOpenGLFramebufferObject> pickBuffer_;
};

} // namespace lw
