#pragma once
// The 3D view: a QOpenGLWidget with a compatibility-profile context (display lists, fixed
// function), a depth buffer and no multisampling, drawing the scene of a SceneState. Its
// interaction code (the number of the cursor shown) tells what a click will do; the main window
// reads and sets it and handles the view's events through the signals below.

#include "render/SceneState.h"

#include <QOpenGLWidget>
#include <QString>

#include <cstdint>
#include <memory>

class QOpenGLFramebufferObject;

namespace lw {

// Interaction codes of the view.
enum InteractionCode : int {
    CodeSelectNothing = 0,
    CodeZoom = 1,
    CodePan = 2,
    CodeRotXY = 3,
    CodePerspective = 4,
    CodeDolly = 5,
    CodeMove = 6,
    CodeRotZ = 7,
    CodeSelect = 8,
    CodeRotate = 9,
    CodeScale = 10,
    CodeFill = 12,
    CodeGetFill = 13,
    CodeErase = 14,
};

class TOpenGLBox : public QOpenGLWidget {
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
    // and returns the identity under the pointer (0 = nothing). Leaves the context current.
    uint32_t PickAt(int x, int y);
    // Runs `work` with the view's context current (for building or releasing display lists).
    template <typename F> void withContext(F&& work) {
        makeCurrent();
        work();
        doneCurrent();
    }

    // The cursor image of an interaction code (our own drawing); tests compare them.
    static QCursor cursorForCode(int code);

signals:
    // The context was (re)created: display lists must be built again.
    void glInitialized();
    // The context is about to go: every list dies with it.
    void glAboutToBeDestroyed();
    void mouseDown(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void clicked();
    // Positive = wheel up (away from the user).
    void wheelTurned(int steps);
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

private:
    SceneState& state_;
    int cursorCode_ = CodeSelectNothing;
    bool ready_ = false;
    QString glError_;
    std::unique_ptr<QOpenGLFramebufferObject> pickBuffer_;
};

} // namespace lw
