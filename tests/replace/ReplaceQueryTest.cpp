// The query language on its own: how texts split into groups, and how values are read.

#include "replace/ReplaceQuery.h"
#include "replace/Replacer.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lw;

namespace {

QueryGroup group(std::string key, std::string value, char op = 0) {
    return QueryGroup{std::move(key), std::move(value), op};
}

} // namespace

TEST(ReplaceQuery, GroupsSplitAtJoinsAndClosingParentheses) {
    EXPECT_EQ(ParseFindQuery("(Name=Rock)&(Pos.X=-1.5)"),
              (TQuery{group("Name", "Rock"), group("Pos.X", "-1.5")}));
    EXPECT_EQ(
        ParseReplaceQuery("(Name=Rock)&(Pos.X=-1.5)&(Size.Y=*[2])&(Rot.Z=/4)&(Clip.X=+)"),
        (TQuery{group("Name", "Rock"), group("Pos.X", "1.5", '-'), group("Size.Y", "[2]", '*'),
                group("Rot.Z", "4", '/'), group("Clip.X", "", '+')}));
    // Without ")&(" a ")" ends the group and the character after it is dropped with it, so the
    // next group loses its first character.
    EXPECT_EQ(ParseFindQuery("(a=1)(b=2)"), (TQuery{group("a", "1"), group("", "2")}));
    // The first character of a group is dropped whatever it is.
    EXPECT_EQ(ParseFindQuery("Name=x)"), (TQuery{group("ame", "x")}));
    // The key ends at the first "="; the value keeps the rest.
    EXPECT_EQ(ParseFindQuery("(Name=a=b)"), (TQuery{group("Name", "a=b")}));
    // A value may hold ")" when a later ")&(" ends the group.
    EXPECT_EQ(ParseFindQuery("(Name=a)b)&(Dummy=True)"),
              (TQuery{group("Name", "a)b"), group("Dummy", "True")}));
}

TEST(ReplaceQuery, MalformedGroupsEndTheParseSilently) {
    EXPECT_TRUE(ParseFindQuery("").empty());
    EXPECT_TRUE(ParseFindQuery("(Name=x").empty());
    EXPECT_TRUE(ParseFindQuery("()&()").empty());
    EXPECT_TRUE(ParseFindQuery("))))))").empty());
    EXPECT_TRUE(ParseFindQuery("((((((").empty());
    EXPECT_EQ(ParseFindQuery("(a=1)&(b)&(c=3)"), (TQuery{group("a", "1")}));
    EXPECT_EQ(ParseFindQuery("(a=1)&("), (TQuery{group("a", "1")}));

    std::string many;
    for (int i = 0; i < 15; ++i)
        many +=
            (i ? "&" : "") + std::string("(k") + std::to_string(i) + "=" + std::to_string(i) + ")";
    const TQuery ten = ParseReplaceQuery(many);
    ASSERT_EQ(ten.size(), kMaxQueryGroups);
    EXPECT_EQ(ten.back(), group("k9", "9"));
}

TEST(ReplaceQuery, VeryLongTextsParseQuickly) {
    const std::string noise(2'000'000, '(');
    EXPECT_TRUE(ParseFindQuery(noise).empty());
    std::string groups;
    while (groups.size() < 2'000'000)
        groups += "(Name=x)&";
    EXPECT_EQ(ParseReplaceQuery(groups).size(), kMaxQueryGroups);
    const std::string longValue = "(Name=" + std::string(1'000'000, 'v') + ")";
    ASSERT_EQ(ParseReplaceQuery(longValue).size(), 1u);
    EXPECT_EQ(ParseReplaceQuery(longValue)[0].Value.size(), 1'000'000u);
}

TEST(ReplaceQuery, PoxelGroupIsTheLastReplaceGroupRead) {
    EXPECT_EQ(ParseReplaceQuery("(Name=New)&(Poxel=Delete)&(Size.X=2)"),
              (TQuery{group("Name", "New"), group("Poxel", "Delete")}));
    EXPECT_EQ(ParseReplaceQuery("(poxel=12)&(Size.X=2)"), (TQuery{group("poxel", "12")}));
    // Find queries read on.
    EXPECT_EQ(ParseFindQuery("(Poxel=Any)&(Name=x)").size(), 2u);
}

TEST(ReplaceQuery, LeadingZoomBecomesSixScalings) {
    const TQuery zoom = ParseReplaceQuery("(ZOOM=/0.5)&(Name=ignored)");
    const TQuery expected{group("Size.X", "0.5", '*'), group("Size.Y", "0.5", '*'),
                          group("Size.Z", "0.5", '*'), group("Pos.X", "0.5", '*'),
                          group("Pos.Y", "0.5", '*'),  group("Pos.Z", "0.5", '*')};
    EXPECT_EQ(zoom, expected);
    EXPECT_EQ(ParseReplaceQuery("(Zoom=[2])")[4], group("Pos.Y", "[2]", '*'));
    // Only as the first group.
    EXPECT_EQ(ParseReplaceQuery("(Name=a)&(Zoom=2)"),
              (TQuery{group("Name", "a"), group("Zoom", "2")}));
}

TEST(ReplaceQuery, RunnableQueriesLookLikeGroups) {
    EXPECT_TRUE(queriesLookRunnable("(Poxel=Any)", "(Zoom=0.5)"));
    EXPECT_FALSE(queriesLookRunnable("", "(Zoom=0.5)"));
    EXPECT_FALSE(queriesLookRunnable("(Poxel=Any)", "Zoom=0.5)"));
    EXPECT_FALSE(queriesLookRunnable("(Poxel=Any", "(Zoom=0.5)"));
    EXPECT_FALSE(queriesLookRunnable("(PoxelAny)", "(Zoom=0.5)"));
}

TEST(ReplaceQuery, NumbersReadInExtendedPrecision) {
    EXPECT_EQ(*readExtended("0.5"), 0.5L);
    EXPECT_EQ(*readExtended(" +2 "), 2.0L);
    EXPECT_EQ(*readExtended("-3e2"), -300.0L);
    EXPECT_EQ(*readExtended(".25"), 0.25L);
    EXPECT_EQ(*readExtended("5."), 5.0L);
    EXPECT_EQ(*readExtended("1,5", ','), 1.5L);
    EXPECT_EQ(*readExtended("1.5", ','), 1.5L);
    // 0.1 is read closer than any double or float holds it.
    EXPECT_NE(*readExtended("0.1"), static_cast<long double>(0.1f));
    EXPECT_NE(*readExtended("0.1"), static_cast<long double>(0.1));

    for (const char* bad : {"", " ", "abc", "1.2.3", "inf", "nan", "0x10", "1e", "1e99999", "--1",
                            "*2", "1,5", "[2]", "1 2"}) {
        auto r = readExtended(bad);
        ASSERT_FALSE(r) << bad;
        EXPECT_EQ(r.error().message(),
                  "'" + std::string(bad) + "' is not a valid floating point value");
    }
}

TEST(ReplaceQuery, IntegersAndTextureMappings) {
    EXPECT_EQ(*readInteger("42"), 42);
    EXPECT_EQ(*readInteger(" -7 "), -7);
    EXPECT_EQ(*readInteger("+5"), 5);
    EXPECT_EQ(*readInteger("-2147483648"), INT32_MIN);
    for (const char* bad :
         {"", "Any", "1.5", "2147483648", "-2147483649", "99999999999999999999", "0x10", "1 2"}) {
        auto r = readInteger(bad);
        ASSERT_FALSE(r) << bad;
        EXPECT_EQ(r.error().message(), "'" + std::string(bad) + "' is not a valid integer value");
    }

    EXPECT_EQ(*readTextureMapping("16>>21,20>>22,44>>23,32>>24"),
              (std::vector<TexturePair>{{63, 83}, {79, 87}, {175, 91}, {127, 95}}));
    EXPECT_EQ(*readTextureMapping("0>>5"), (std::vector<TexturePair>{{0, 19}}));
    EXPECT_EQ(*readTextureMapping("1>>2,3,4>>5"), (std::vector<TexturePair>{{3, 7}}));
    EXPECT_TRUE(readTextureMapping("").value().empty());
    std::string eleven;
    for (int i = 1; i <= 11; ++i)
        eleven += (i > 1 ? "," : "") + std::to_string(i) + ">>1";
    EXPECT_EQ(readTextureMapping(eleven).value().size(), kMaxTexturePairs);

    EXPECT_EQ(readTextureMapping("1>>x").error().message(), "'x' is not a valid integer value");
    EXPECT_EQ(readTextureMapping("65>>1").error().message(), "'65' is not a texture box (0 to 64)");
    EXPECT_FALSE(readTextureMapping("1>>-1"));
}

TEST(ReplaceQuery, SyntaxHelpHasItsFortyFourLines) {
    const auto& lines = replaceSyntaxLines();
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[0], "Syntax for Find:");
    EXPECT_EQ(lines[4], "\t");
    EXPECT_EQ(lines[6], "\t\t(Const=OperatorVal)\tor\t(Const=Operator[Val])");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[29], "\tHlevel - Value of Height voxels, for delete all down part.  (Float)");
    EXPECT_EQ(lines[30], "\tPoxel - Current poxel. ");
    EXPECT_EQ(lines[41], "Find:\t(Emitter=False)\tor equal \t(Poxel=Any)");
    EXPECT_EQ(lines[43], "\tor equal \t(Zoom=0.5)");

    const std::string text = replaceSyntaxText();
    EXPECT_EQ(text.rfind("Syntax for Find:\r\n\t(Const=Val)\r\n", 0), 0u);
    EXPECT_TRUE(text.ends_with("(Pos.Z=/2)\r\n\tor equal \t(Zoom=0.5)"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 43);
}

TEST(ReplaceQuery, ChangeLineIsFilledWithoutPrintf) {
    EXPECT_EQ(formatChangeLine("[#%d] object [%s] is changed", 3, "Rock"),
              "[#3] object [Rock] is changed");
    // A language file's pattern: each directive takes the next argument, whatever its letter.
    EXPECT_EQ(formatChangeLine("%s: %d%%", 7, "Rock"), "7: Rock%");
    EXPECT_EQ(formatChangeLine("%-4.2d|%s|%s|%n", 1, "R"), "1|R||");
    EXPECT_EQ(formatChangeLine("end %", 1, "R"), "end %");
    EXPECT_EQ(formatChangeLine("%5", 1, "R"), "%5");
}
