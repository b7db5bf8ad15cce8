#pragma once
// The main window under test: empty settings, errors and save questions collected instead of
// shown, the demo map written to a temporary folder.

#include "editor/gui/MainForm.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "editor/gui/PoxelTree.h"
#include "editor/gui/TreeWidgetSink.h"
#include "render/gui/OpenGLBox.h"
#include "support/TestSupport.h"
#include "ui/gui/LanguageMenu.h"

#include "../../ui/gui/GuiTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>

#include <gtest/gtest.h>

namespace lwtest {

using namespace lw;

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
        form_->dialogs().warn = [this](QWidget*, const QString& title, const QString& text) {
            warnings_.push_back(title + QStringLiteral("|") + text);
        };
        // A test that changes the open map's file itself keeps its map, and saves over it.
        form_->dialogs().askReload = [this](QWidget*, const QString&, const QString& text) {
            warnings_.push_back(text);
            return false;
        };
        form_->dialogs().askOverwrite = [](QWidget*, const QString&, const QString&) {
            return true;
        };
        form_->dialogs().askSave = [this](QWidget*, const QString&, const QString& text) {
            saveQuestions_ << text;
            return saveAnswer_;
        };
        form_->LoadSettings();
        const auto demo = makeDemoMap();
        demoPath_ = qpath(dir_ / "demo.xom");
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
        const QString path = qpath(dir_ / name);
        EXPECT_TRUE(WriteMapFile(*makeDemoMap(), path.toStdString()).ok());
        return path;
    }

    // The demo map's nodes, once it is open.
    TPoxel* island() { return form_->EditRoot()->Children[0].get(); }
    TPoxel* ground() { return island()->Children[0].get(); }
    TPoxel* tower() { return island()->Children[1].get(); }
    TPoxel* bridge() { return island()->Children[2].get(); }
    TPoxel* rocks() { return form_->EditRoot()->Children[1].get(); }

    // Selects `node` in the map tree and frames it in the view (Zoom Selected).
    void selectAndFrame(TPoxel* node) {
        form_->TreeView1->setCurrentItem(static_cast<QTreeWidgetItem*>(node->Node));
        ASSERT_EQ(form_->selectedPoxel(), node);
        form_->ToolButton6->click();
        wait(150);
        ASSERT_FALSE(form_->scene().ZoomSelectedRequest);
    }

    // Writes a language file of `lines` and chooses it in the Language menu.
    void chooseLanguage(const char* lines) {
        const QString lng = qpath(dir_ / "chosen.lng");
        QFile file(lng);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines);
        file.close();
        form_->SelectLanguage1->setFilePicker([lng](QWidget*, const QString&) { return lng; });
        form_->SelectLanguage1->SelectLanguage1Click();
    }

    // Every node of the edited map has its item in the map tree, no item names a node that is
    // not in the map, and the selection names none either.
    void expectTreeMatchesMap() {
        int nodes = 0;
        for (TPoxel* n : nodesOf(*form_->EditRoot())) {
            ++nodes;
            ASSERT_TRUE(n->Node) << n->Name;
            EXPECT_EQ(static_cast<QTreeWidgetItem*>(n->Node)->text(0).toStdString(), n->Name);
        }
        int items = 0;
        std::vector<QTreeWidgetItem*> walk{form_->TreeView1->topLevelItem(0)};
        while (!walk.empty()) {
            QTreeWidgetItem* i = walk.back();
            walk.pop_back();
            ++items;
            TPoxel* n = poxelOfItem(i);
            ASSERT_TRUE(n && form_->document().contains(*n));
            EXPECT_EQ(n->Node, i);
            for (int k = 0; k < i->childCount(); ++k)
                walk.push_back(i->child(k));
        }
        EXPECT_EQ(items, nodes);
        if (form_->ShownRoot() != form_->EditRoot())
            return;
        if (TPoxel* selected = form_->selectedPoxel()) {
            EXPECT_TRUE(form_->document().contains(*selected));
        } else {
            EXPECT_EQ(form_->SelectedId(), 0);
        }
        if (form_->scene().Selected) {
            EXPECT_TRUE(form_->document().contains(*form_->scene().Selected));
        }
    }

    lwtest::TempDir dir_;
    std::unique_ptr<TMainForm> form_;
    QStringList errors_;
    QStringList warnings_;
    QStringList saveQuestions_; // "Save changes to NAME?", answered with saveAnswer_
    int saveAnswer_ = QMessageBox::Cancel;
    QString demoPath_;
};

// The window shown with the demo map open, for what needs the view or a laid-out tree.
class ShownDemoMap : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        if (!HasFatalFailure())
            showDemoMap();
    }
};
} // namespace lwtest
