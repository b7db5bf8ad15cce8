// Runs of the replacer over small trees built in the test.

#include "replace/Replacer.h"

#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace lw;
using lwtest::nodesOf;

namespace {

std::unique_ptr<TPoxel> makeRoot() {
    auto root = makePoxel();
    root->Name = "Root";
    root->IsRoot = root->IsGroup = true;
    root->Voxels[0] = 0;
    return root;
}

TPoxel& addPoxel(TPoxel& parent, const std::string& name, int nx = 1, int ny = 1, int nz = 1) {
    auto p = makePoxel(nx, ny, nz);
    p->Name = name;
    return *AddChildPoxel(parent, std::move(p));
}

TPoxel& addGroup(TPoxel& parent, const std::string& name) {
    TPoxel& g = addPoxel(parent, name);
    g.IsGroup = true;
    g.Voxels[0] = 0;
    return g;
}

TPoxel& addEntity(TPoxel& parent, const std::string& name, const std::string& lib = "Base") {
    auto e = makePoxel();
    e->Name = name;
    e->LibName = lib;
    e->IsEntity = true;
    return *AddEntity(parent, std::move(e));
}

ReplaceReport run(TPoxel& root, const std::string& find, const std::string& replace,
                  TPoxel* start = nullptr, uint32_t seed = 1) {
    ReplaceSettings settings;
    settings.Seed = seed;
    return runReplacer(root, start ? *start : root, find, replace, settings);
}

std::vector<std::string> logOf(const ReplaceReport& r) {
    std::vector<std::string> lines;
    for (const QString& l : r.Log)
        lines.push_back(l.toStdString());
    return lines;
}

std::string id(const TPoxel& p) {
    return std::to_string(p.Serial);
}

// Cell code of box `low` with box `high` as second texture and corner flags `flags`.
uint32_t cell(int low, int high = 0, uint32_t flags = 0) {
    auto code = [](int box) { return uint32_t(box ? 4 * box - 1 : 0); };
    return code(low) | code(high) << 8 | flags << 16;
}

std::unique_ptr<TPoxel> sceneWithAwkwardValues() {
    auto root = makeRoot();
    TPoxel& g = addGroup(*root, "Group");
    g.Pos = {0.3f, -1.7f, 1e-3f};
    g.Size = {1.1f, 3.0f, 0.7f};
    TPoxel& p = addPoxel(g, "Hill", 2, 2, 2);
    p.Pos = {1.0f / 3.0f, 1e30f, -0.1f};
    p.Size = {0.2f, 7.0f, 1e-30f};
    addEntity(p, "Flag").Pos = {5.0f, 5.0f, 5.0f};
    return root;
}

} // namespace

TEST(Replacer, ZoomEqualsTheSixDivisionsOfTheHelp) {
    auto zoomed = sceneWithAwkwardValues();
    auto divided = sceneWithAwkwardValues();
    const auto a = run(*zoomed, "(Emitter=False)", "(Zoom=0.5)");
    const auto b =
        run(*divided, "(Emitter=False)",
            "(Size.X=/2.0)&(Size.Y=/2.0)&(Size.Z=/2)&(Pos.X=/2.0)&(Pos.Y=/2)&(Pos.Z=/2)");
    ASSERT_TRUE(a.Outcome.ok());
    ASSERT_TRUE(b.Outcome.ok());
    EXPECT_EQ(a.Log.size(), 18); // root, group and poxel, six lines each
    EXPECT_EQ(a.Log, b.Log);
    const auto za = nodesOf(*zoomed), zb = nodesOf(*divided);
    ASSERT_EQ(za.size(), zb.size());
    for (size_t i = 0; i < za.size(); ++i) {
        EXPECT_EQ(za[i]->Pos, zb[i]->Pos) << za[i]->Name;
        EXPECT_EQ(za[i]->Size, zb[i]->Size) << za[i]->Name;
    }
    const TPoxel& hill = *zoomed->Children[0]->Children[0];
    EXPECT_EQ(hill.Pos.X, static_cast<float>(static_cast<long double>(1.0f / 3.0f) * 0.5L));
    EXPECT_EQ(hill.Size.Z, 5e-31f);
    EXPECT_EQ(hill.Entities[0]->Pos, (TVec3{5.0f, 5.0f, 5.0f})); // entities do not match
}

TEST(Replacer, NumericConditionsCompareExactly) {
    auto root = makeRoot();
    addPoxel(*root, "Half").Pos.X = 0.5f;
    addPoxel(*root, "Tenth").Pos.X = 0.1f;
    addPoxel(*root, "Turned").Rot.Y = 30.0f;

    auto half = run(*root, "(Pos.X=0.5)", "(EmitterBazeStr=hit)");
    EXPECT_EQ(logOf(half), std::vector<std::string>{"[#0] object [Half] is changed"});
    EXPECT_TRUE(run(*root, "(Pos.X=0.1)", "(EmitterBazeStr=hit)").Log.isEmpty());
    EXPECT_EQ(run(*root, "(Rot.Y=30)", "(EmitterBazeStr=hit)").Log.size(), 1);
    EXPECT_EQ(run(*root, "(Size.Y=1)&(Clip.Z=0)", "(EmitterBazeStr=hit)").Log.size(), 4);
    EXPECT_EQ(root->Children[1]->LibName, "hit");
}

TEST(Replacer, TextAndKindConditions) {
    auto root = makeRoot();
    TPoxel& group = addGroup(*root, "Rocks");
    addPoxel(group, "Rock");
    addPoxel(group, "rock");
    addEntity(group, "Fire", "Emitter_Fire");

    auto count = [&root](const std::string& find) {
        return run(*root, find, "(Clip.X=1)").Log.size();
    };
    EXPECT_EQ(count("(Name=Rock)"), 1); // case-sensitive value
    EXPECT_EQ(count("(name=rock)"), 1); // case-insensitive key
    EXPECT_EQ(count("(EmitterBazeStr=Emitter_Fire)"), 1);
    EXPECT_EQ(count("(Dummy=true)"), 2); // the root is a group too
    EXPECT_EQ(count("(Dummy=False)"), 3);
    EXPECT_EQ(count("(Emitter=TRUE)"), 1);
    EXPECT_EQ(count("(Poxel=any)"), 5);
    EXPECT_EQ(count("(Poxel=Some)"), 0);
}

// A query that would be read otherwise than it was written is refused before anything changes,
// naming the part: a misspelt key or a malformed group would otherwise change nothing silently.
TEST(Replacer, UnknownKeysAndMalformedGroupsAreRefusedNamingThem) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "A");
    const std::vector<uint8_t> before = lwtest::mapBytes(*root);
    std::string many;
    for (int i = 0; i < 11; ++i)
        many += (i ? "&" : "") + std::string("(Name=x)");
    const struct {
        const char* find;
        const char* replace;
        const char* message;
    } refused[] = {
        {"(Name=A)", "(Sise.Y=*2)", "Unknown key: \"Sise.Y\" in the replace query"},
        {"(Colour=1)", "(Name=B)", "Unknown key: \"Colour\" in the find query"},
        {"(Name=A)", "(Name=B)&(Dummy=True)", "Unknown key: \"Dummy\" in the replace query"},
        {"(Name=A)&(TextCoord=1)", "(Name=B)", "Unknown key: \"TextCoord\" in the find query"},
        {"(Name=A)&(Dummy)", "(Name=B)", "Malformed group: \"(Dummy)\" in the find query"},
        {"(Name=A)", "(Name=B)(Size.X=2)", "Malformed group: \"Size.X=2)\" in the replace"},
        {"(Name=A", "(Name=B)", "Malformed group: \"(Name=A\" in the find query"},
        {"no groups at all", "(Name=B)", "Malformed group"},
        {"(Name=A)", "(Name=B)&(Zoom=2)", "Zoom stands alone"},
        {"(Name=A)", "(Zoom=2)&(Name=B)", "Zoom stands alone"},
        {many.c_str(), "(Name=B)", "Too many groups: the find query has more than 10"},
    };
    for (const auto& r : refused) {
        const ReplaceReport report = run(*root, r.find, r.replace);
        ASSERT_FALSE(report.Outcome.ok()) << r.find << " " << r.replace;
        EXPECT_NE(report.Outcome.error().message().find(r.message), std::string::npos)
            << report.Outcome.error().message();
        EXPECT_TRUE(report.Log.isEmpty());
        EXPECT_EQ(lwtest::mapBytes(*root), before) << r.replace;
    }
    // What the reading leaves out on purpose stays allowed: the rest after a "Poxel" group,
    // blanks after the last group, a trailing "&".
    EXPECT_TRUE(run(*root, "(Name=Nobody) ", "(Name=B)&(Poxel=Delete)&(Sise=1)").Outcome.ok());
    EXPECT_TRUE(run(*root, "(Poxel=Any)&", "(Zoom=1)").Outcome.ok());
    EXPECT_EQ(p.Name, "A");
}

TEST(Replacer, OperatorsAndBracketedRandomValues) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P");
    p.Pos = {10.0f, 10.0f, 10.0f};
    p.Rot = {10.0f, 10.0f, 10.0f};
    ASSERT_TRUE(run(*root, "(Name=P)",
                    "(Pos.X=+2)&(Pos.Y=-2)&(Pos.Z=*2)&(Rot.X=/4)&(Rot.Y=0.1)&(Rot.Z=-0.5)")
                    .Outcome.ok());
    EXPECT_EQ(p.Pos, (TVec3{12.0f, 8.0f, 20.0f}));
    EXPECT_EQ(p.Rot, (TVec3{2.5f, 0.1f, 9.5f}));

    // "[2]" is r / 100 * 2 with r drawn from 0..99 for each node: steps of 0.02 up to 1.98.
    std::set<float> allowed;
    for (int k = 0; k < 100; ++k)
        allowed.insert(static_cast<float>(static_cast<long double>(k) / 100 * 2));
    auto many = makeRoot();
    for (int i = 0; i < 200; ++i)
        addPoxel(*many, "R");
    ASSERT_TRUE(run(*many, "(Name=R)", "(Size.Y=[2])", nullptr, 7).Outcome.ok());
    std::set<float> seen;
    for (auto& c : many->Children) {
        EXPECT_TRUE(allowed.count(c->Size.Y)) << c->Size.Y;
        seen.insert(c->Size.Y);
    }
    EXPECT_GT(seen.size(), 50u);
    EXPECT_LE(*seen.rbegin(), 1.98f);

    // The same seed gives the same values.
    auto again = makeRoot();
    for (int i = 0; i < 200; ++i)
        addPoxel(*again, "R");
    ASSERT_TRUE(run(*again, "(Name=R)", "(Size.Y=[2])", nullptr, 7).Outcome.ok());
    for (size_t i = 0; i < 200; ++i)
        EXPECT_EQ(again->Children[i]->Size.Y, many->Children[i]->Size.Y);
}

TEST(Replacer, ArithmeticThatLeavesFloatRangeIsRefused) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P");
    p.Size.X = 3.0f;
    auto byZero = run(*root, "(Name=P)", "(Size.X=/0)");
    EXPECT_EQ(byZero.Outcome.error().message(),
              "Floating point division by zero: Size.X of \"P\" (id " + id(p) + ")");
    p.Pos.X = 0.0f;
    EXPECT_EQ(run(*root, "(Name=P)", "(Pos.X=/0)").Outcome.error().text,
              "Invalid floating point operation");
    EXPECT_EQ(run(*root, "(Name=P)", "(Size.X=*1e39)").Outcome.error().text,
              "Floating point overflow");
    EXPECT_EQ(p.Size.X, 3.0f);
    EXPECT_EQ(run(*root, "(Name=P)", "(Size.X=*[abc])").Outcome.error().message(),
              "'abc' is not a valid floating point value");
}

TEST(Replacer, TextureMappingSwapsBothBytesAndKeepsFlags) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P", 5, 1, 1);
    p.Voxels = {cell(16, 21, 0x5A), cell(21, 16), cell(16, 16, 0xFF), cell(3, 21), 0};
    ASSERT_TRUE(run(*root, "(Name=P)", "(Texture=16>>21,21>>16)").Outcome.ok());
    EXPECT_EQ(p.Voxels, (std::vector<uint32_t>{cell(21, 16, 0x5A), cell(16, 21), cell(21, 21, 0xFF),
                                               cell(3, 16), 0}));

    // A later pair with the same source wins; box 0 stands for empty bytes.
    p.Voxels = {cell(1, 1), cell(2), 0, cell(1, 0, 3), cell(5)};
    ASSERT_TRUE(run(*root, "(Name=P)", "(Texture=1>>2,1>>3,0>>4)").Outcome.ok());
    EXPECT_EQ(p.Voxels, (std::vector<uint32_t>{cell(3, 3), cell(2, 4), cell(4, 4), cell(3, 4, 3),
                                               cell(5, 4)}));
}

TEST(Replacer, TextureLevelRetexturesWholeLevels) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P", 2, 3, 2);
    const uint32_t full = cell(7, 9, 0xC3);
    FillVoxels(p, full);
    p.Voxels[p.cellIndex(1, 0, 1)] = 0;

    ASSERT_TRUE(run(*root, "(Name=P)", "(TextureLevel=0>>5)").Outcome.ok());
    for (int z = 0; z < 2; ++z)
        for (int x = 0; x < 2; ++x) {
            const uint32_t bottom = p.Voxels[p.cellIndex(x, 0, z)];
            EXPECT_EQ(bottom, x == 1 && z == 1 ? 0u : 19u); // empty cells stay empty
            EXPECT_EQ(p.Voxels[p.cellIndex(x, 1, z)], full);
        }
    ASSERT_TRUE(run(*root, "(Name=P)", "(TextureLevel=0>>0,2>>1,7>>1)").Outcome.ok());
    for (int z = 0; z < 2; ++z)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(p.Voxels[p.cellIndex(x, 0, z)], 0u);
            EXPECT_EQ(p.Voxels[p.cellIndex(x, 1, z)], full);
            EXPECT_EQ(p.Voxels[p.cellIndex(x, 2, z)], cell(1));
        }
}

TEST(Replacer, HlevelEmptiesCellsWhollyBelowTheHeight) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P", 2, 3, 1);
    p.Heights[2] = {1.0f, 1.0f}; // the right-hand column stands one level higher
    ASSERT_TRUE(run(*root, "(Name=P)", "(Hlevel=+1.5)").Outcome.ok());
    EXPECT_EQ(p.Voxels[p.cellIndex(0, 0, 0)], 0u);
    EXPECT_EQ(p.Voxels[p.cellIndex(0, 1, 0)], 0u);
    EXPECT_EQ(p.Voxels[p.cellIndex(0, 2, 0)], 3u);
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 0, 0)], 0u);
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 1, 0)], 3u);

    FillVoxels(p, 3);
    for (auto& column : p.Heights)
        column = {-1.0f, -1.0f};
    ASSERT_TRUE(run(*root, "(Name=P)", "(Hlevel=-0.5)").Outcome.ok());
    EXPECT_EQ(p.Voxels, (std::vector<uint32_t>{0, 3, 3, 0, 3, 3}));

    FillVoxels(p, 3);
    ASSERT_TRUE(run(*root, "(Name=P)", "(Hlevel=-1)").Outcome.ok()); // strictly below
    EXPECT_EQ(p.Voxels, (std::vector<uint32_t>{3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(run(*root, "(Name=P)", "(Hlevel=*1)").Outcome.error().message(),
              "'*1' is not a valid floating point value");
    EXPECT_EQ(run(*root, "(Name=P)", "(Hlevel=/1)").Outcome.error().message(),
              "'/1' is not a valid floating point value");
}

TEST(Replacer, NameThenDeleteEndsTheNode) {
    auto root = makeRoot();
    TPoxel& group = addGroup(*root, "G");
    TPoxel& old = addPoxel(group, "Old");
    addPoxel(old, "Old"); // below a deleted node: never visited
    addPoxel(group, "Other");
    auto r = run(*root, "(Name=Old)", "(Name=New)&(Poxel=Delete)&(Size.X=2)");
    ASSERT_TRUE(r.Outcome.ok());
    EXPECT_EQ(logOf(r), (std::vector<std::string>{"[#0] object [Old] is changed",
                                                  "[#1] object [New] is changed"}));
    EXPECT_EQ(r.Removed, 1);
    ASSERT_EQ(group.Children.size(), 1u);
    EXPECT_EQ(group.Children[0]->Name, "Other");
}

TEST(Replacer, FifteenLinesForThreeKeysOnFiveNodes) {
    auto root = makeRoot();
    TPoxel& source = addGroup(*root, "Source");
    source.Color = 0x11223344u;
    for (int i = 0; i < 5; ++i)
        addPoxel(*root, "N");
    auto r = run(*root, "(Name=N)", "(Name=M)&(Pos.X=+1)&(Color=" + id(source) + ")");
    ASSERT_TRUE(r.Outcome.ok());
    const auto lines = logOf(r);
    ASSERT_EQ(lines.size(), 15u);
    for (size_t i = 0; i < 15; ++i)
        EXPECT_EQ(lines[i],
                  "[#" + std::to_string(i) + "] object [" + (i % 3 ? "M" : "N") + "] is changed");
    for (size_t i = 1; i < 6; ++i)
        EXPECT_EQ(root->Children[i]->Color, 0x11223344u);
}

TEST(Replacer, WalkVisitsChildrenThenEntitiesOfTheStartSubtree) {
    auto root = makeRoot();
    addEntity(*root, "E1");
    TPoxel& c1 = addPoxel(*root, "C1");
    addEntity(c1, "CE");
    addPoxel(c1, "CC1");
    TPoxel& c2 = addPoxel(*root, "C2");
    TPoxel& odd = addEntity(c2, "E2");
    addEntity(odd, "EE"); // an entity's entities are not visited
    addPoxel(odd, "EC");  // its children are

    auto r = run(*root, "(Poxel=Any)", "(EmitterBazeStr=x)");
    ASSERT_TRUE(r.Outcome.ok());
    std::vector<std::string> names;
    for (const auto& line : logOf(r))
        names.push_back(line.substr(line.find('[', 2) + 1,
                                    line.find(']', line.find('[', 2)) - line.find('[', 2) - 1));
    EXPECT_EQ(names, (std::vector<std::string>{"Root", "C1", "CC1", "CE", "C2", "E2", "EC", "E1"}));

    auto sub = run(*root, "(Poxel=Any)", "(EmitterBazeStr=y)", &c1);
    EXPECT_EQ(sub.Log.size(), 3);
    EXPECT_EQ(root->LibName, "x");
}

TEST(Replacer, CopiesFromIdentityNumbers) {
    auto root = makeRoot();
    TPoxel& source = addPoxel(*root, "Source");
    for (size_t i = 0; i < 16; ++i)
        source.TextCoord[i] = float(i) + 0.5f;
    source.Surface = 0x00120101u;
    source.Surface2 = 0x00010034u;
    source.Color = 0xFF102030u;
    TPoxel& a = addPoxel(*root, "A");
    TPoxel& b = addPoxel(*root, "B");
    TPoxel& c = addPoxel(*root, "C");
    auto other = makeRoot();
    TPoxel& foreign = addPoxel(*other, "Foreign");
    foreign.TextCoord.fill(9.0f);

    ASSERT_TRUE(run(*root, "(Name=A)", "(TextCoord=" + id(source) + ")&(Pos.X=1)").Outcome.ok());
    ASSERT_TRUE(run(*root, "(Name=B)", "(Surface= " + id(source) + " )").Outcome.ok());
    ASSERT_TRUE(run(*root, "(Name=C)", "(color=" + id(source) + ")").Outcome.ok());
    EXPECT_EQ(a.TextCoord, source.TextCoord);
    EXPECT_EQ(a.Color, 0xFFFFFFFFu);
    EXPECT_EQ(b.Surface, source.Surface);
    EXPECT_EQ(b.Surface2, source.Surface2);
    EXPECT_EQ(b.Color, source.Color);
    EXPECT_EQ(c.Color, source.Color);
    EXPECT_EQ(c.Surface, 0u);

    // Nodes of other open documents can be named as well.
    ReplaceSettings settings;
    settings.OtherRoots = {other.get()};
    ASSERT_TRUE(runReplacer(*root, *root, "(Name=A)", "(TextCoord=" + id(foreign) + ")", settings)
                    .Outcome.ok());
    EXPECT_EQ(a.TextCoord, foreign.TextCoord);
}

TEST(Replacer, BadIdentityNumbersStopTheRun) {
    auto root = makeRoot();
    TPoxel& p = addPoxel(*root, "P");
    auto missing = run(*root, "(Name=P)", "(Poxel=999999)");
    EXPECT_EQ(missing.Outcome.error().message(),
              "No such node: no node has the identity number 999999");
    EXPECT_EQ(p.Name, "P");
    EXPECT_EQ(run(*root, "(Name=P)", "(Poxel=Any)").Outcome.error().message(),
              "'Any' is not a valid integer value");
    EXPECT_EQ(run(*root, "(Name=P)", "(Surface=1.5)").Outcome.error().message(),
              "'1.5' is not a valid integer value");
    EXPECT_EQ(run(*root, "(Name=P)", "(Texture=a>>1)").Outcome.error().message(),
              "'a' is not a valid integer value");
    // A condition's number is read when a node gets that far.
    EXPECT_EQ(run(*root, "(Name=P)&(Pos.X=abc)", "(Pos.Y=1)").Outcome.error().message(),
              "'abc' is not a valid floating point value");
    EXPECT_TRUE(run(*root, "(Name=Q)&(Pos.X=abc)", "(Pos.Y=1)").Outcome.ok());
    EXPECT_EQ(p.Pos.Y, 0.0f);
}

TEST(Replacer, ErrorsKeepEarlierChangesAndDropTheDeletions) {
    auto root = makeRoot();
    TPoxel& first = addPoxel(*root, "P");
    TPoxel& second = addPoxel(*root, "P");
    second.Size.X = 10.0f;
    auto r = run(*root, "(Name=P)", "(Size.X=*1e38)&(Poxel=Delete)");
    EXPECT_EQ(r.Outcome.error().text, "Floating point overflow");
    EXPECT_EQ(r.Log.size(), 3);
    EXPECT_EQ(r.Removed, 0);
    ASSERT_EQ(root->Children.size(), 2u);
    EXPECT_EQ(first.Size.X, 1e38f);
    EXPECT_EQ(second.Size.X, 10.0f);
}

TEST(Replacer, StartNodeAndRootCannotBeDeleted) {
    auto root = makeRoot();
    TPoxel& group = addGroup(*root, "G");
    addPoxel(group, "P");
    auto atStart = run(*root, "(Poxel=Any)", "(Poxel=Delete)", &group);
    EXPECT_EQ(atStart.Outcome.error().message(),
              "Cannot delete: \"G\" (id " + id(group) + ") is the node the run starts from");
    auto atRoot = run(*root, "(Poxel=Any)", "(Poxel=delete)");
    EXPECT_EQ(atRoot.Outcome.error().key, "sReplaceDelete");
    EXPECT_EQ(group.Children.size(), 1u);
    ASSERT_EQ(root->Children.size(), 1u);

    // Below the start node deletion works.
    EXPECT_TRUE(run(*root, "(Name=P)", "(Poxel=Delete)", &group).Outcome.ok());
    EXPECT_TRUE(group.Children.empty());
}

TEST(Replacer, ContentCopyKeepsPlacementAndAppendsCopies) {
    auto root = makeRoot();
    TPoxel& source = addPoxel(*root, "Tower", 2, 4, 2);
    source.Size = {2.0f, 3.0f, 4.0f};
    source.Rot = {0.0f, 90.0f, 0.0f};
    FillVoxels(source, cell(4));
    addEntity(source, "Torch");
    addPoxel(source, "Roof");
    TPoxel& target = addPoxel(*root, "Old");
    target.Pos = {7.0f, 8.0f, 9.0f};
    target.Rot = {10.0f, 20.0f, 30.0f};
    addPoxel(target, "Kept");

    ReplaceJournal journal;
    ReplaceSettings settings;
    auto r = walkReplacer(*root, *root, "(Name=Old)", "(Poxel=" + id(source) + ")&(Name=never)",
                          settings, journal);
    ASSERT_TRUE(r.Outcome.ok());
    EXPECT_EQ(r.Log.size(), 1);
    EXPECT_EQ(target.Name, "Tower");
    EXPECT_EQ(target.Pos, (TVec3{7.0f, 8.0f, 9.0f}));
    EXPECT_EQ(target.Rot, (TVec3{10.0f, 20.0f, 30.0f}));
    EXPECT_EQ(target.Size, source.Size);
    EXPECT_EQ(target.Voxels, source.Voxels);
    ASSERT_EQ(target.Children.size(), 2u);
    EXPECT_EQ(target.Children[0]->Name, "Kept");
    EXPECT_EQ(target.Children[1]->Name, "Roof");
    ASSERT_EQ(target.Entities.size(), 1u);
    // The journal names the changed node once and the copies in the order they came.
    ASSERT_EQ(journal.Changes.size(), 1u);
    EXPECT_EQ(journal.Changes[0].Node, &target);
    EXPECT_EQ(journal.Changes[0].Before.Name, "Old");
    ASSERT_EQ(journal.Copies.size(), 2u);
    EXPECT_EQ(journal.Copies[0].Node, target.Entities[0].get());
    EXPECT_EQ(journal.Copies[1].Node, target.Children[1].get());
    EXPECT_EQ(journal.Copies[1].Parent, &target);

    // Entities take entities only: a mixed copy would leave a node in the wrong list.
    TPoxel& torch = *source.Entities[0];
    auto mixed = run(*root, "(Name=Kept)", "(Poxel=" + id(torch) + ")");
    EXPECT_EQ(mixed.Outcome.error().key, "sReplaceKind");
    auto entities = run(*root, "(Name=Torch)", "(Poxel=" + id(torch) + ")&(Size.X=5)");
    EXPECT_TRUE(entities.Outcome.ok());
}

TEST(Replacer, CopiesMadeByTheRunAreNotVisited) {
    auto root = makeRoot();
    TPoxel& group = addGroup(*root, "G");
    TPoxel& source = addPoxel(group, "S");
    addPoxel(source, "Child");
    addPoxel(group, "A");
    addPoxel(group, "B");
    const size_t before = nodesOf(*root).size();

    // Every visited node takes a copy of S, S itself included: the walk still ends, and only
    // the nodes that were there before the run are changed.
    auto r = run(*root, "(Poxel=Any)", "(Poxel=" + id(source) + ")", &group);
    ASSERT_TRUE(r.Outcome.ok());
    EXPECT_EQ(r.Log.size(), 5); // G, S, S's child, A, B
    EXPECT_GT(nodesOf(*root).size(), before);
    std::set<int32_t> ids;
    for (TPoxel* n : nodesOf(*root))
        EXPECT_TRUE(ids.insert(n->Serial).second);

    // A node copied into itself gets its own children twice; a node copied into its own child
    // is copied as it was before the change.
    auto selfRoot = makeRoot();
    TPoxel& self = addPoxel(*selfRoot, "Self");
    addPoxel(self, "Kid");
    addEntity(self, "Lamp");
    ASSERT_TRUE(run(*selfRoot, "(Name=Self)", "(Poxel=" + id(self) + ")").Outcome.ok());
    EXPECT_EQ(self.Children.size(), 2u);
    EXPECT_EQ(self.Entities.size(), 2u);
    TPoxel& kid = *self.Children[0];
    ASSERT_TRUE(run(*selfRoot, "(Name=Kid)", "(Poxel=" + id(self) + ")", &kid).Outcome.ok());
    EXPECT_EQ(kid.Children.size(), 2u);
    EXPECT_EQ(kid.Children[0]->Name, "Kid");
}

TEST(Replacer, AWalkOnlyMarksTheNodesToDelete) {
    auto root = makeRoot();
    addPoxel(*root, "Kept");
    TPoxel& gone = addPoxel(*root, "Gone");
    const std::vector<TPoxel*> nodes = nodesOf(*root);
    ReplaceJournal marks;
    ASSERT_TRUE(
        walkReplacer(*root, *root, "(Name=Gone)", "(Poxel=Delete)", ReplaceSettings{}, marks)
            .Outcome.ok());
    ASSERT_EQ(marks.Deletions.size(), 1u);
    EXPECT_EQ(marks.Deletions[0].Node, &gone);
    EXPECT_EQ(marks.Deletions[0].Parent, root.get());
    EXPECT_TRUE(marks.Changes.empty()); // a deletion alone changes no fields
    EXPECT_EQ(nodesOf(*root), nodes);
}

TEST(Replacer, CopiesWithinTheMapLimitsGoThroughAndTheMapOpensAgain) {
    // Two hundred small poxels each take the content of one of the largest poxels a record
    // holds (180 x 1 x 180 cells): 50 MB in memory, a small file where the copies share one
    // record. The map is within what a map may hold, so it is saved and read back.
    auto root = makeRoot();
    TPoxel& big = addPoxel(*root, "Big", 180, 1, 180);
    for (int i = 0; i < 200; ++i)
        addPoxel(*root, "Small");
    const ReplaceReport r = run(*root, "(Name=Small)", "(Poxel=" + id(big) + ")");
    ASSERT_TRUE(r.Outcome.ok()) << r.Outcome.error().message();
    auto bytes = encodeMap(*root);
    ASSERT_TRUE(bytes) << bytes.error().message();
    EXPECT_LT(bytes->size(), size_t(1) << 20) << "the copies share their record";
    auto table = parseXom(std::move(*bytes), XomMode::Map);
    ASSERT_TRUE(table);
    auto back = decodeMapRoot(*table, CounterMode::Keep);
    ASSERT_TRUE(back) << back.error().message();
    EXPECT_EQ(back.value()->Children.size(), 201u);
}
