#pragma once
// Synthesised input and screenshots for the window tests.

#include "../QtPrinters.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QPainter>
#include <QWidget>

#include <filesystem>

namespace lwtest {

inline QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// Runs the event loop for `ms` milliseconds, or until `done` holds.
template <typename F> inline bool waitFor(F done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
inline void wait(int ms) {
    waitFor([] { return false; }, ms);
}

// Mouse events with explicit local and global positions, delivered straight to `w`.
inline void mousePress(QWidget* w, QPoint local, QPoint global,
                       Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonPress, local, global, b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void mouseMove(QWidget* w, QPoint local, QPoint global,
                      Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseMove, local, global, Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void mouseRelease(QWidget* w, QPoint local, QPoint global,
                         Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonRelease, local, global, b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void mouseClick(QWidget* w, QPoint local) {
    mousePress(w, local, w->mapToGlobal(local));
    mouseRelease(w, local, w->mapToGlobal(local));
}

inline void keyClick(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}
// Types printable ASCII text key by key (Qt's key codes for these are their upper-case codes).
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        keyClick(w, c.toUpper().unicode(), QString(c));
}
inline void focusOut(QWidget* w) {
    QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &e);
}

// Layout requests post further layout requests up the parent chain; let them all run.
inline void settleLayouts() {
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

// Saves a picture of `w` as screenshots/<name>.png beside the test program, for review.
// OpenGL views are painted from their own frames: a plain grab leaves their cleared pixels
// transparent over the window's background, which is not what the screen shows.
inline bool saveScreenshot(QWidget* w, const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("screenshots"));
    QImage shot = w->grab().toImage();
    {
        QPainter painter(&shot);
        for (QOpenGLWidget* view : w->findChildren<QOpenGLWidget*>())
            if (view->isVisible())
                painter.drawImage(view->mapTo(w, QPoint(0, 0)),
                                  view->grabFramebuffer().convertToFormat(QImage::Format_RGB32));
    }
    return shot.save(dir.filePath(QStringLiteral("screenshots/") + name + QStringLiteral(".png")));
}

} // namespace lwtest
