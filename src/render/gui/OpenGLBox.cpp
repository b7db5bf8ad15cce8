#include "render/gui/OpenGLBox.h"

#include "render/gl/DisplayLists.h"
#include "render/gl/FontLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSurfaceFormat>

#include <algorithm>
#include <map>

namespace lw {

namespace {

void* resolveQt(const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// What each code's cursor shows beside its arrow: a short sign of the action.
const char* cursorBadge(int code) {
    switch (code) {
    case CodeZoom:
        return "Z";
    case CodePan:
        return "P";
    case CodeRotXY:
        return "R";
    case CodePerspective:
        return "F";
    case CodeDolly:
        return "D";
    case CodeMove:
        return "M";
    case CodeRotZ:
        return "Rz";
    case CodeSelect:
        return "+";
    case CodeRotate:
        return "Ro";
    case CodeScale:
        return "S";
    case CodeFill:
        return "Fi";
    case CodeGetFill:
        return "G";
    case CodeErase:
        return "E";
    default:
        return nullptr;
    }
}

QCursor drawCursor(int code) {
    const char* badge = cursorBadge(code);
    if (!badge)
        return QCursor(Qt::ArrowCursor);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 15);
    arrow.lineTo(5, 11);
    arrow.lineTo(8, 17);
    arrow.lineTo(10, 16);
    arrow.lineTo(7, 10);
    arrow.lineTo(12, 10);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    const QRect box(12, 14, 19, 16);
    p.setBrush(code >= CodeFill ? QColor(255, 220, 120) : QColor(200, 230, 255));
    p.drawRoundedRect(box, 3, 3);
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, QString::fromLatin1(badge));
    p.end();
    return QCursor(pixmap, 1, 1);
}

} // namespace

TOpenGLBox::TOpenGLBox(SceneState& state, QWidget* parent) : QOpenGLWidget(parent), state_(state) {
    setObjectName(QStringLiteral("OpenGLBox"));
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSamples(0); // identity colours must come back exactly
    setFormat(format);
    // A click does not take the focus by itself: the view's click handler gives it, so the
    // first click into an unfocused view only focuses it.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setMinimumSize(64, 64);
}

TOpenGLBox::~TOpenGLBox() {
    if (!pickBuffer_)
        return;
    makeCurrent();
    pickBuffer_.reset();
    doneCurrent();
}

void TOpenGLBox::setOnOpenGL(bool on) {
    if (on)
        setFocus(Qt::OtherFocusReason);
}

QCursor TOpenGLBox::cursorForCode(int code) {
    static std::map<int, QCursor> cache;
    auto it = cache.find(code);
    if (it == cache.end())
        it = cache.emplace(code, drawCursor(code)).first;
    return it->second;
}

void TOpenGLBox::setCursorCode(int code) {
    if (code == cursorCode_)
        return;
    cursorCode_ = code;
    setCursor(cursorForCode(code));
}

void TOpenGLBox::initializeGL() {
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            ready_ = false;
            makeCurrent();
            pickBuffer_.reset();
            emit glAboutToBeDestroyed();
            gl::forgetContextLists();
            doneCurrent();
        },
        Qt::DirectConnection);
    glError_.clear();
    if (!gl::loadMultitexture(&resolveQt))
        glError_ = QStringLiteral("Error loading GL_ARB_multitexture!");
    else if (!gl::loadBufferObjects(&resolveQt))
        glError_ = QStringLiteral("OpenGL 1.5 vertex buffer objects are missing");
    gl::installDisplayListReleaseHook();
    QFont labelFont = font();
    labelFont.setPixelSize(11);
    gl::buildFontLists(gl::kFontListBase, labelFont);
    state_.FontBase = gl::kFontListBase;
    gl::SetupGLState(state_);
    gl::BuildFixedLists(gl::kFontListBase);
    state_.Camera.Width = width();
    state_.Camera.Height = height();
    ready_ = true;
    emit glInitialized();
}

void TOpenGLBox::resizeGL(int w, int h) {
    // The framebuffer is in device pixels; the camera works in widget pixels like the mouse.
    Q_UNUSED(w);
    Q_UNUSED(h);
    state_.Camera.Width = width();
    state_.Camera.Height = height();
}

void TOpenGLBox::paintGL() {
    state_.BrushPickPass = false;
    const qreal ratio = devicePixelRatioF();
    TCamera& c = state_.Camera;
    c.Width = static_cast<int>(width() * ratio);
    c.Height = static_cast<int>(height() * ratio);
    const bool focusPending = state_.ZoomSelectedRequest;
    gl::RenderFrame(state_, false);
    c.Width = width();
    c.Height = height();
    // The camera was fitted while this frame was drawn: show the fitted view.
    if (focusPending && !state_.ZoomSelectedRequest)
        update();
}

std::vector<uint32_t> TOpenGLBox::pickPixels(int x, int y, int radius) {
    const int side = 2 * std::max(0, radius) + 1;
    if (!ready_)
        return std::vector<uint32_t>(size_t(side) * size_t(side), 0u);
    makeCurrent();
    if (!pickBuffer_ || pickBuffer_->width() < side || pickBuffer_->height() < side)
        pickBuffer_ = std::make_unique<QOpenGLFramebufferObject>(
            side, side, QOpenGLFramebufferObject::CombinedDepthStencil);
    pickBuffer_->bind();
    // Picks run in device pixels, as the screen is drawn.
    const qreal ratio = devicePixelRatioF();
    TCamera& c = state_.Camera;
    c.Width = static_cast<int>(width() * ratio);
    c.Height = static_cast<int>(height() * ratio);
    std::vector<uint32_t> ids = gl::PickWindow(state_, x, y, radius);
    c.Width = width();
    c.Height = height();
    pickBuffer_->release();
    return ids;
}

uint32_t TOpenGLBox::PickAt(int x, int y) {
    const qreal ratio = devicePixelRatioF();
    return pickPixels(devicePixel(x, ratio), devicePixel(y, ratio), 0).front();
}

PickWindow TOpenGLBox::pickWindow(int x, int y, int radius, PickPass pass) {
    const bool cells = state_.BrushPickPass;
    state_.BrushPickPass = pass == PickPass::Cells;
    PickWindow window;
    window.Radius = std::max(0, radius);
    window.Ids = pickPixels(x, y, radius);
    state_.BrushPickPass = cells;
    return window;
}

void TOpenGLBox::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event);
}

void TOpenGLBox::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(event);
}

void TOpenGLBox::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TOpenGLBox::wheelEvent(QWheelEvent* event) {
    if (const int delta = event->angleDelta().y(); delta != 0)
        emit wheelTurned(delta);
    event->accept();
}

void TOpenGLBox::leaveEvent(QEvent* event) {
    emit pointerLeft();
    QOpenGLWidget::leaveEvent(event);
}

void TOpenGLBox::keyPressEvent(QKeyEvent* event) {
    emit keyDown(event);
}

} // namespace lw
