// The find-and-replace window, opened modally from the map tree's menu: its controls and the
// Replace button's rule, the golden cases run through it and compared with the command-line
// tool, undo of its runs from the Edit menu, and refused runs that change nothing.

#include "../../editor/gui/MainFormFixture.h"

#include "replace/gui/ReplacerForm.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

QStringList linesOf(const std::string& text) {
    QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

class ReplacerWindow : public ShownDemoMap {
protected:
    void SetUp() override {
        ShownDemoMap::SetUp();
        saveAnswer_ = QMessageBox::Discard; // the next map is opened over the edited one
    }

    TPoxel* named(const std::string& name) {
        for (TPoxel* n : nodesOf(*form_->EditRoot()))
            if (n->Name == name)
                return n;
        ADD_FAILURE() << "no node " << name;
        return nullptr;
    }

    // Selects `node` in the map tree, opens the tree menu on it and chooses "Replacer...";
    // `drive` works the window while it is shown modally, then the window is closed.
    void openReplacerOn(TPoxel* node, const std::function<void(TReplacer&)>& drive) {
        auto* item = static_cast<QTreeWidgetItem*>(node->Node);
        ASSERT_TRUE(item);
        form_->TreeView1->scrollToItem(item);
        form_->TreeView1->selectOnly(item);
        QApplication::processEvents();
        form_->TreeView1ContextPopup(form_->TreeView1->visualItemRect(item).center());
        ASSERT_TRUE(form_->TreeMenu->isVisible());
        ASSERT_TRUE(form_->Replacer1->isEnabled());
        form_->TreeMenu->hide();

        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TReplacer*>(QApplication::activeModalWidget());
            if (window) {
                driven = true;
                drive(*window);
                window->Button1->click();
            } else if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
        });
        form_->Replacer1->trigger();
        EXPECT_TRUE(driven) << "the replacer was not shown modally";
        EXPECT_FALSE(form_->replacer()->isVisible());
    }

    // Types the queries, presses Replace and returns the log.
    static QStringList runQueries(TReplacer& w, const QString& find, const QString& replace) {
        w.FindEdit->setText(find);
        w.RepEdit->setText(replace);
        EXPECT_TRUE(w.ReplaceBut->isEnabled());
        w.ReplaceBut->click();
        return w.OutText->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(ReplacerWindow, ControlsTextsAndTheReplaceButtonsRule) {
    TPoxel* ground = named("Ground");
    openReplacerOn(ground, [&](TReplacer& w) {
        // The window leaves the middle of the view, where the map is, in sight.
        TOpenGLBox* view = form_->OpenGLBox();
        EXPECT_FALSE(w.frameGeometry().contains(view->mapToGlobal(view->rect().center())));
        EXPECT_EQ(w.windowTitle(), "Replacer");
        EXPECT_EQ(w.startNode(), ground);
        EXPECT_EQ(w.Label3->text(), "[Ground]");
        EXPECT_EQ(w.Label1->text(), "Find:");
        EXPECT_EQ(w.Label2->text(), "Replace:");
        EXPECT_EQ(w.Label4->text(), "Process:");
        EXPECT_EQ(w.ReplaceBut->text(), "Replace");
        EXPECT_EQ(w.Button2->text(), "*Const*");
        EXPECT_EQ(w.Button1->text(), "Close");
        EXPECT_TRUE(w.OutText->isReadOnly());

        // Both queries begin with "(", end with ")" and hold "="; while they do not, the
        // button's tool tip says which is wanting.
        const QString findForm =
            "The find query begins with \"(\", ends with \")\" and holds \"=\".";
        EXPECT_FALSE(w.ReplaceBut->isEnabled()); // both empty
        EXPECT_EQ(w.ReplaceBut->toolTip(), findForm);
        w.FindEdit->setText("(Name=Ground)");
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        EXPECT_TRUE(w.ReplaceBut->toolTip().startsWith("The replace query begins"));
        w.RepEdit->setText("(Pos.Y=+1");
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        w.RepEdit->setText("(Pos.Y+1)");
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        w.RepEdit->setText("(Pos.Y=+1)");
        EXPECT_TRUE(w.ReplaceBut->isEnabled());
        EXPECT_TRUE(w.ReplaceBut->toolTip().isEmpty());
        w.FindEdit->setText("Name=Ground)");
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        EXPECT_EQ(w.ReplaceBut->toolTip(), findForm);
        w.FindEdit->setText("(Name=Ground)");
        EXPECT_TRUE(saveScreenshot(&w, "replacer_ready"));

        // The syntax help (its lines are the query language's own).
        QString title, text;
        w.setMessageHook([&](QWidget*, const QString& t, const QString& body) {
            title = t;
            text = body;
        });
        w.Button2->click();
        EXPECT_EQ(title, "Constants");
        const QStringList help = text.split(QLatin1Char('\n'));
        ASSERT_EQ(help.size(), 44);
        EXPECT_EQ(help[0], "Syntax for Find:");
        w.setMessageHook({});

        // One run per opening.
        const QStringList log = runQueries(w, "(Name=Ground)", "(Pos.Y=+1)");
        EXPECT_EQ(log, QStringList{"[#0] object [Ground] is changed"});
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        EXPECT_FALSE(w.ready());
        w.RepEdit->setText("(Pos.Y=+2)");
        EXPECT_FALSE(w.ReplaceBut->isEnabled());
        EXPECT_EQ(w.ReplaceBut->toolTip(),
                  "One run per opening: open the replacer again from the map tree's menu.");
        EXPECT_TRUE(saveScreenshot(&w, "replacer_after_run"));
    });
    EXPECT_EQ(ground->Pos.Y, -1.0f);

    // Opened again: the log is cleared and one more run is allowed; the queries stay.
    openReplacerOn(ground, [&](TReplacer& w) {
        EXPECT_TRUE(w.OutText->toPlainText().isEmpty());
        EXPECT_TRUE(w.ready());
        EXPECT_EQ(w.RepEdit->text(), "(Pos.Y=+2)");
        EXPECT_TRUE(w.ReplaceBut->isEnabled());
    });
}

TEST_F(ReplacerWindow, GoldenCasesGiveTheLogAndTheMapOfTheCommandLineTool) {
    const std::vector<ReplaceCase> cases = replaceCases();
    ASSERT_GE(cases.size(), 8u);

    for (const auto& [dir, find, replace, args] : cases) {
        SCOPED_TRACE(dir.filename().string());
        const fs::path input = dir / "input.xom";
        long nodeIndex = 0;
        std::optional<uint32_t> seed;
        const QRegularExpression option(QStringLiteral("--(node|seed) (\\d+)"));
        for (auto it = option.globalMatch(QString::fromStdString(args)); it.hasNext();) {
            const auto m = it.next();
            if (m.captured(1) == "node")
                nodeIndex = m.captured(2).toLong();
            else
                seed = m.captured(2).toUInt();
        }

        // The command-line tool, as a user runs it.
        TempDir tmp;
        const fs::path out = tmp / "out.xom";
        const CommandResult cli =
            runCli("replace " + shellQuoted(input) + " " + shellQuoted(out) + " --find '" + find +
                   "' --replace '" + replace + "' " + args);

        // The identity numbers of the tool's fresh reading name the window's nodes by their
        // place in the listing; a number that names no node there names none here either.
        ASSERT_TRUE(form_->openMapFile(QString::fromStdString(input.string())));
        QApplication::processEvents();
        const std::vector<TPoxel*> nodes = nodesOf(*form_->EditRoot());
        const std::string listing = runCli("info --json " + shellQuoted(input)).out;
        std::map<long, int32_t> serialOf;
        std::map<int32_t, long> cliIdOf;
        const QRegularExpression idField(QStringLiteral("\"id\": (\\d+)"));
        size_t place = 0;
        for (auto it = idField.globalMatch(QString::fromStdString(listing)); it.hasNext();) {
            ASSERT_LT(place, nodes.size());
            const long cliId = it.next().captured(1).toLong();
            serialOf[cliId] = nodes[place]->Serial;
            cliIdOf[nodes[place++]->Serial] = cliId;
        }
        ASSERT_EQ(place, nodes.size());
        const int32_t unknown = makePoxel()->Serial + 1000000;
        QString windowReplace = QString::fromStdString(replace);
        const QRegularExpression idValue(
            QStringLiteral("\\((Poxel|Surface|TextCoord|Color)=(\\d+)\\)"),
            QRegularExpression::CaseInsensitiveOption);
        for (auto it = idValue.globalMatch(QString::fromStdString(replace)); it.hasNext();) {
            const auto m = it.next();
            const long cliId = m.captured(2).toLong();
            const int32_t serial = serialOf.count(cliId) ? serialOf[cliId] : unknown;
            cliIdOf[serial] = cliId;
            windowReplace.replace(m.captured(0),
                                  QStringLiteral("(%1=%2)").arg(m.captured(1)).arg(serial));
        }
        ASSERT_LT(size_t(nodeIndex), nodes.size());
        TPoxel* start = nodes[size_t(nodeIndex)];

        const std::vector<uint8_t> before = mapBytes();
        const std::vector<TPoxel*> nodesBefore = nodesOf(*form_->EditRoot());
        QStringList log;
        bool stillReady = false;
        openReplacerOn(start, [&](TReplacer& w) {
            w.setSeed(seed);
            log = runQueries(w, QString::fromStdString(find), windowReplace);
            stillReady = w.ReplaceBut->isEnabled();
        });

        QUndoStack* stack = form_->document().undoStack();
        if (cli.exitCode != 0) {
            // A refused run: the same reason in the log, and nothing changed.
            ASSERT_GE(log.size(), 2);
            QString reason = log[log.size() - 2];
            const QRegularExpression number(QStringLiteral("(id |identity number )(\\d+)"));
            for (auto m = number.match(reason); m.hasMatch();
                 m = number.match(reason, m.capturedStart(2) + 1)) {
                const int32_t serial = m.captured(2).toInt();
                if (cliIdOf.count(serial))
                    reason.replace(m.capturedStart(2), m.capturedLength(2),
                                   QString::number(cliIdOf[serial]));
            }
            EXPECT_EQ(reason + "\n", QString::fromStdString(cli.err));
            EXPECT_EQ(log.back(), "The run was stopped; the map is unchanged.");
            EXPECT_EQ(mapBytes(), before);
            EXPECT_EQ(nodesOf(*form_->EditRoot()), nodesBefore);
            EXPECT_EQ(stack->count(), 0);
            EXPECT_FALSE(form_->Undo1->isEnabled());
            EXPECT_TRUE(stillReady) << "a refused run may be mended and run again";
            continue;
        }
        EXPECT_EQ(log, linesOf(cli.out));
        EXPECT_EQ(mapBytes(), readBytes(out));
        EXPECT_FALSE(stillReady);
        ASSERT_EQ(stack->count(), 1);
        EXPECT_EQ(form_->Undo1->text(), "Undo Replace");
        form_->Undo1->trigger();
        EXPECT_EQ(mapBytes(), before);
        EXPECT_EQ(nodesOf(*form_->EditRoot()), nodesBefore);
        form_->Redo1->trigger();
        EXPECT_EQ(mapBytes(), readBytes(out));
    }
}

TEST_F(ReplacerWindow, UndoOfCopiesAndDeletionsPutsTheTreeAndTheMapBack) {
    const std::vector<uint8_t> original = mapBytes();
    const std::vector<TPoxel*> originalNodes = nodesOf(*form_->EditRoot());
    TPoxel* rocks = named("Rocks");
    TPoxel* tower = named("Tower");
    const int32_t towerId = tower->Serial;

    // Each rock becomes a copy of the tower, which brings its emitter.
    openReplacerOn(rocks, [&](TReplacer& w) {
        EXPECT_EQ(w.Label3->text(), "[Rocks]");
        const QStringList log =
            runQueries(w, "(Name=Rock)", QStringLiteral("(Poxel=%1)").arg(towerId));
        EXPECT_EQ(log.size(), 4);
    });
    const std::vector<uint8_t> copied = mapBytes();
    const std::vector<TPoxel*> copiedNodes = nodesOf(*form_->EditRoot());
    ASSERT_EQ(copiedNodes.size(), originalNodes.size() + 4);
    expectTreeMatchesMap();
    for (TPoxel* n : copiedNodes)
        if (!n->IsEntity && !n->IsGroup) {
            EXPECT_TRUE(n->ListsBuilt) << n->Name << " has its mesh";
        }

    // Then the copies are renamed and deleted; no tree item names them any more.
    TPoxel* doomed = rocks->Children[0].get();
    openReplacerOn(rocks, [&](TReplacer& w) {
        const QStringList log = runQueries(w, "(Name=Tower)", "(Name=Gone)&(Poxel=Delete)");
        EXPECT_EQ(log.size(), 8);
    });
    EXPECT_TRUE(rocks->Children.size() == 1u); // the cairn
    expectTreeMatchesMap();
    EXPECT_EQ(form_->selectedPoxel(), rocks);

    EXPECT_EQ(form_->Undo1->text(), "Undo Replace");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), copied);
    EXPECT_EQ(nodesOf(*form_->EditRoot()), copiedNodes);
    EXPECT_EQ(static_cast<QTreeWidgetItem*>(doomed->Node)->text(0), "Tower");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), original);
    EXPECT_EQ(nodesOf(*form_->EditRoot()), originalNodes);
    EXPECT_FALSE(form_->isWindowModified());
    EXPECT_EQ(static_cast<QTreeWidgetItem*>(rocks->Children[0]->Node)->text(0), "Rock");
    form_->Redo1->trigger();
    form_->Redo1->trigger();
    EXPECT_TRUE(rocks->Children.size() == 1u);
    EXPECT_EQ(form_->Redo1->isEnabled(), false);

    // The window forgets a start node that leaves the map.
    TPoxel* cairn = rocks->Children[0].get();
    openReplacerOn(cairn, [](TReplacer&) {});
    EXPECT_EQ(form_->replacer()->startNode(), cairn);
    form_->document().deleteNode(*rocks);
    EXPECT_EQ(form_->replacer()->startNode(), nullptr);
}
