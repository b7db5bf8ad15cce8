#pragma once
// The main window under test: empty settings, errors collected instead of shown, the demo map
// written to a temporary folder.

#include "editor/gui/MainForm.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "render/gui/OpenGLBox.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace lwtest {

using namespace lw;

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

// The title as the window shows it: "*" where the unsaved mark goes while modified.
inline QString shownTitle(const TMainForm& form) {
    QString title = form.windowTitle();
    return title.replace(QStringLiteral("[*]"),
                         form.isWindowModified() ? QStringLiteral("*") : QString());
}

// True where the X server's own pointer can be driven (an xcb platform and xdotool).
inline bool canDrivePointer() {
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// Drags the X server's pointer with the left button along `path` (global pixels): press at the
// first point, `steps` moves to each next one, release at the last. Nothing of Qt's event path
// is bypassed. The caller runs the event loop while it goes, then waits for it to finish.
inline void startPointerDrag(QProcess& xdotool, const std::vector<QPoint>& path, int steps = 10,
                             double stepSeconds = 0.03) {
    auto move = [](QStringList& s, QPoint p) {
        s << QStringLiteral("mousemove") << QString::number(p.x()) << QString::number(p.y());
    };
    QStringList s;
    move(s, path.front());
    s << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mousedown")
      << QStringLiteral("1");
    for (size_t k = 1; k < path.size(); ++k)
        for (int i = 1; i <= steps; ++i) {
            s << QStringLiteral("sleep") << QString::number(stepSeconds);
            move(s, path[k - 1] + (path[k] - path[k - 1]) * i / steps);
        }
    s << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup")
      << QStringLiteral("1");
    xdotool.start(QStringLiteral("xdotool"), s);
}

inline QString panelText(TMainForm& form, int panel) {
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
}

class MainFormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test starts with empty settings.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Corvell", "Landwright").clear();
        form_ = std::make_unique<TMainForm>();
        form_->dialogs().error = [this](QWidget*, const QString& title, const QString& text) {
            errors_.push_back(title + QStringLiteral("|") + text);
        };
        form_->LoadSettings();
        const auto demo = makeDemoMap();
        demoPath_ = QString::fromStdString((dir_ / "demo.xom").string());
        ASSERT_TRUE(WriteMapFile(*demo, demoPath_.toStdString()).ok());
    }
    void TearDown() override { form_.reset(); }

    // Shows the window and waits until the view's context is ready. Platforms without OpenGL
    // windows (offscreen) cannot run the view.
    bool showWindow() {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            return false;
        form_->resize(1100, 760);
        form_->show();
        form_->activateWindow(); // keyboard focus needs an active window
        return waitFor([this] { return form_->OpenGLBox()->glReady() && form_->isActiveWindow(); },
                       5000);
    }

    // The window shown with the demo map open; the test is skipped where the platform has no
    // OpenGL windows. Callers return when IsSkipped() or HasFatalFailure().
    void showDemoMap() {
        if (!showWindow())
            GTEST_SKIP() << "no OpenGL window on the "
                         << QGuiApplication::platformName().toStdString() << " platform";
        ASSERT_TRUE(form_->openMapFile(demoPath_));
        QApplication::processEvents();
    }

    // A mouse event at client pixel `at` of the view, as Qt delivers one.
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, at, form_->OpenGLBox()->mapToGlobal(at), button, held, mods);
        QApplication::sendEvent(form_->OpenGLBox(), &e);
    }
    void hover(QPoint at) { send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
        send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, mods);
    }

    std::vector<uint8_t> mapBytes() { return lwtest::mapBytes(*form_->EditRoot()); }

    QString writeMap(const char* name) {
        const QString path = QString::fromStdString((dir_ / name).string());
        EXPECT_TRUE(WriteMapFile(*makeDemoMap(), path.toStdString()).ok());
        return path;
    }

    lwtest::TempDir dir_;
    std::unique_ptr<TMainForm> form_;
    QStringList errors_;
    QString demoPath_;
};
} // namespace lwtest
