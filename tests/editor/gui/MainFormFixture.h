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
#include <QSettings>

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
