// Replacer runs on the edited map: one undo step each, undone to the very same nodes and
// bytes, redone to the same result; the notifications the views follow; refused runs that
// leave the map and the history alone.

#include "replace/DocumentReplace.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "editor/MapDocument.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace lw;
using lwtest::mapBytes;
using lwtest::nodesOf;

namespace {

std::string id(const TPoxel& p) {
    return std::to_string(p.Serial);
}

// What the document told its listeners, one line per notification.
struct Heard {
    std::vector<std::string> lines;
    void listen(MapDocument& doc) {
        QObject::connect(&doc, &MapDocument::nodeChanged, [this](TPoxel* n, NodeChanges what) {
            std::string flags;
            if (what & NodeChange::Name)
                flags += " name";
            if (what & NodeChange::Transform)
                flags += " transform";
            if (what & NodeChange::Geometry)
                flags += " geometry";
            if (what & NodeChange::Properties)
                flags += " properties";
            lines.push_back("changed " + n->Name + flags);
        });
        QObject::connect(&doc, &MapDocument::nodeInserted, [this](TPoxel* parent, TPoxel* n) {
            lines.push_back("inserted " + n->Name + " in " + parent->Name);
        });
        QObject::connect(&doc, &MapDocument::nodeAboutToBeRemoved,
                         [this](TPoxel* parent, TPoxel* n) {
                             lines.push_back("removing " + n->Name + " from " + parent->Name);
                         });
    }
};

class DocumentReplace : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = QString::fromStdString((dir_ / "demo.xom").string());
        ASSERT_TRUE(WriteMapFile(*makeDemoMap(), path.toStdString()).ok());
        ASSERT_TRUE(doc_.openMap(path).ok());
        demoPath_ = path;
    }

    TPoxel* named(const std::string& name) {
        for (TPoxel* n : nodesOf(*doc_.root()))
            if (n->Name == name)
                return n;
        ADD_FAILURE() << "no node " << name;
        return nullptr;
    }
    ReplaceReport run(const std::string& find, const std::string& replace, TPoxel* start = nullptr,
                      std::optional<uint32_t> seed = 1) {
        ReplaceSettings settings;
        settings.Seed = seed;
        return replaceInDocument(doc_, start ? *start : *doc_.root(), find, replace, settings);
    }

    lwtest::TempDir dir_;
    MapDocument doc_;
    QString demoPath_;
};

} // namespace

TEST_F(DocumentReplace, RandomValuesAreDrawnOnceAndRedoneAsDrawn) {
    const std::vector<uint8_t> original = mapBytes(*doc_.root());
    const ReplaceReport r = run("(Emitter=False)", "(Size.Y=[2])&(Pos.Y=+[1])", nullptr, {});
    ASSERT_TRUE(r.Outcome.ok());
    const std::vector<uint8_t> after = mapBytes(*doc_.root());
    ASSERT_NE(after, original);
    for (int i = 0; i < 3; ++i) {
        doc_.undoStack()->undo();
        EXPECT_EQ(mapBytes(*doc_.root()), original);
        doc_.undoStack()->redo();
        EXPECT_EQ(mapBytes(*doc_.root()), after);
    }
}

TEST_F(DocumentReplace, ListenersHearWhatEachNodeNeeds) {
    Heard heard;
    heard.listen(doc_);
    ASSERT_TRUE(run("(Name=Bridge)", "(Pos.X=+1)&(Size.Y=2)").Outcome.ok());
    ASSERT_TRUE(run("(Name=Ground)", "(Texture=1>>2,2>>1)").Outcome.ok());
    ASSERT_TRUE(run("(Name=Stone)", "(Name=Pebble)&(EmitterBazeStr=x)").Outcome.ok());
    ASSERT_TRUE(run("(Name=Cairn)", "(Poxel=" + id(*named("Tower")) + ")").Outcome.ok());
    ASSERT_TRUE(run("(Name=Pebble)", "(Poxel=Delete)").Outcome.ok());
    EXPECT_EQ(heard.lines, (std::vector<std::string>{
                               "changed Bridge transform",
                               "changed Ground geometry",
                               "changed Pebble name properties",
                               // A group that takes a poxel's content is redrawn and renamed.
                               "changed Tower name geometry",
                               "inserted Emitter_02 in Tower",
                               "removing Pebble from Tower",
                           }));

    heard.lines.clear();
    doc_.undoStack()->undo();
    doc_.undoStack()->undo();
    EXPECT_EQ(heard.lines, (std::vector<std::string>{
                               "inserted Pebble in Tower",
                               "removing Emitter_02 from Tower",
                               "changed Cairn name geometry",
                           }));
}

TEST_F(DocumentReplace, RefusedRunsLeaveTheMapAndTheHistoryAlone) {
    ASSERT_TRUE(run("(Name=Bridge)", "(Pos.X=1)").Outcome.ok());
    doc_.undoStack()->undo(); // one step on the redo side, which a refused run must keep
    Heard heard;
    heard.listen(doc_);

    auto refused = [&](const std::string& find, const std::string& replace, TPoxel* start,
                       const std::string& message) {
        SCOPED_TRACE(find + " " + replace);
        const std::vector<uint8_t> original = mapBytes(*doc_.root());
        const std::vector<TPoxel*> nodes = nodesOf(*doc_.root());
        const ReplaceReport r = run(find, replace, start);
        ASSERT_FALSE(r.Outcome.ok());
        EXPECT_EQ(r.Outcome.error().message(), message);
        EXPECT_EQ(mapBytes(*doc_.root()), original);
        EXPECT_EQ(nodesOf(*doc_.root()), nodes);
        EXPECT_EQ(doc_.undoStack()->count(), 1);
        EXPECT_EQ(doc_.undoStack()->index(), 0);
        EXPECT_FALSE(doc_.isModified());
        EXPECT_TRUE(heard.lines.empty());
    };
    // Rocks are renamed and copied into before the fourth one cannot be scaled.
    TPoxel* lastRock = named("Rocks")->Children[3].get();
    lastRock->Size.X = 1e10f; // as a map could hold it; the document sees no edit
    refused("(Name=Rock)", "(Name=R)&(Size.X=*1e30)&(Poxel=" + id(*named("Tower")) + ")", nullptr,
            "Floating point overflow: Size.X of \"R\" (id " + id(*lastRock) + ")");
    lastRock->Size.X = 1.0f;

    refused("(Poxel=Any)", "(Size.X=abc)", nullptr, "'abc' is not a valid floating point value");
    refused("(Name=Rock)", "(Color=999999)", nullptr,
            "No such node: no node has the identity number 999999");
    TPoxel* rocks = named("Rocks");
    refused("(Poxel=Any)", "(Name=x)&(Poxel=Delete)", rocks,
            "Cannot delete: \"x\" (id " + id(*rocks) + ") is the node the run starts from");

    // Nothing matched: the run is fine and the history gets no empty step.
    const ReplaceReport none = run("(Name=Nobody)", "(Pos.X=1)");
    EXPECT_TRUE(none.Outcome.ok());
    EXPECT_TRUE(none.Log.isEmpty());
    EXPECT_EQ(doc_.undoStack()->count(), 1);
    EXPECT_TRUE(doc_.undoStack()->canRedo());
}

TEST_F(DocumentReplace, NodesOfTheImportedMapCanBeNamed) {
    ASSERT_TRUE(doc_.importMap(demoPath_).ok());
    TPoxel* foreign = doc_.importMapRoot()->Children[0]->Children[1].get(); // its Tower
    foreign->Color = 0x12345678u;
    ASSERT_TRUE(run("(Name=Stone)", "(Color=" + id(*foreign) + ")").Outcome.ok());
    EXPECT_EQ(named("Stone")->Color, 0x12345678u);

    // A start node outside the edited map is refused.
    const ReplaceReport outside =
        replaceInDocument(doc_, *foreign, "(Poxel=Any)", "(Name=x)", ReplaceSettings{});
    EXPECT_FALSE(outside.Outcome.ok());
    EXPECT_EQ(foreign->Name, "Tower");
}
