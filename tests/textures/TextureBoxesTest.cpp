// Texture list files, captions and the box clipboard.

#include "textures/TextureBoxes.h"
#include "support/TestSupport.h"
#include "textures/TextureListDocument.h"

#include <gtest/gtest.h>

using namespace lw;
using lwtest::TempDir;

namespace {

TextureBox box(std::string name, std::string top, std::string side, std::string bottom,
               std::string edge, std::string fifth) {
    return TextureBox{std::move(name), {top, side, bottom, edge, fifth}};
}

std::string fileText(const std::filesystem::path& p) {
    auto bytes = lwtest::readBytes(p);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(TextureListFile, WrittenListReadsBackAndOmitsARepeatedFifthSlot) {
    TextureBoxList list;
    list.Boxes.push_back(box("Grass.v2.final", "G01", "G02", "G03", "NULL", "G01"));
    list.Boxes.push_back(box("Rock", "R01", "R02", "R03", "E01", "R05"));
    // The fifth slot is compared with the first exactly: a change of case is a change.
    list.Boxes.push_back(box("", "Sand", "S02", "S03", "null", "sand"));

    TempDir dir;
    ASSERT_TRUE(WriteTextureList((dir / "list.txt").string(), list));
    EXPECT_EQ(fileText(dir / "list.txt"), "G01\r\nG02\r\nG03\r\nNULL\r\nGrass.v2.final\r\n\r\n"
                                          "R01\r\nR02\r\nR03\r\nE01\r\nRock\r\nR05\r\n\r\n"
                                          "Sand\r\nS02\r\nS03\r\nnull\r\n\r\nsand\r\n\r\n");
    auto back = readTextureListFile((dir / "list.txt").string());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, list);
}

TEST(TextureListFile, ReadingAcceptsLoneLineFeedsAndEndsAtAShortBox) {
    // Lone LF, a missing separator before the end, and a CR kept inside a line.
    auto list = parseTextureList("a\nb\nc\nd\nOne\n\nA\r\nB\nC\nD\nTwo\nFifth\nx\n"
                                 "p\nq\nr\n\ns\nt\nu\nv\nLost\n\n");
    ASSERT_EQ(list.Boxes.size(), 2u);
    EXPECT_EQ(list.Boxes[0], box("One", "a", "b", "c", "d", "a"));
    // The line after a fifth slot is dropped as the separator whatever it holds.
    EXPECT_EQ(list.Boxes[1], box("Two", "A", "B", "C", "D", "Fifth"));

    // A record cut after its name takes the fifth slot from the first; one whose fifth line is
    // the last of the file keeps that line.
    EXPECT_EQ(parseTextureList("a\r\nb\r\nc\r\nd\r\nName").Boxes.at(0),
              box("Name", "a", "b", "c", "d", "a"));
    EXPECT_EQ(parseTextureList("a\r\nb\r\nc\r\nd\r\nName\r\ne").Boxes.at(0),
              box("Name", "a", "b", "c", "d", "e"));
    EXPECT_TRUE(parseTextureList("").Boxes.empty());
    EXPECT_TRUE(parseTextureList("\r\na\r\nb\r\nc\r\nd\r\nName\r\n\r\n").Boxes.empty());
}

TEST(TextureListFile, AtMostSixtyFourBoxesAreRead) {
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += "t" + std::to_string(i) + "\r\ns\r\nb\r\nNULL\r\nBox\r\n\r\n";
    auto list = parseTextureList(text);
    ASSERT_EQ(list.Boxes.size(), 64u);
    EXPECT_EQ(list.Boxes.back().Slots[0], "t63");
}

TEST(TextureListFile, ListsThatWouldNotReadBackAreRefusedAndNothingIsWritten) {
    TempDir dir;
    const auto file = dir / "list.txt";
    lwtest::writeBytes(file, {'o', 'l', 'd'});
    const TextureBox good = box("Box", "a", "b", "c", "NULL", "a");

    TextureBoxList emptySlot{{good, box("Gap", "a", "", "c", "NULL", "a")}};
    TextureBoxList emptyFifth{{box("Gap", "a", "b", "c", "NULL", "")}};
    TextureBoxList lineBreak{{box("Two\nlines", "a", "b", "c", "NULL", "a")}};
    TextureBoxList tooMany{std::vector<TextureBox>(65, good)};
    for (const auto* list : {&emptySlot, &emptyFifth, &lineBreak, &tooMany}) {
        auto st = WriteTextureList(file.string(), *list);
        ASSERT_FALSE(st);
        EXPECT_EQ(st.error().text, "Cannot save texture list");
        EXPECT_EQ(fileText(file), "old");
    }
    auto gap = WriteTextureList(file.string(), emptySlot);
    EXPECT_NE(gap.error().detail.find("box 2. Gap: the side texture is empty"), std::string::npos)
        << gap.error().detail;

    auto missing = readTextureListFile((dir / "none.txt").string());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().detail.find("none.txt"), std::string::npos);
}

TEST(TextureBoxes, CaptionsKeepTheDotsOfTheName) {
    EXPECT_EQ(boxCaption(12, "a.b.c"), "12. a.b.c");
    EXPECT_EQ(boxNameOfCaption("12. a.b.c"), "a.b.c");
    EXPECT_EQ(boxNameOfCaption("3. "), "");
    EXPECT_EQ(boxNameOfCaption("7."), "");
    // Without a dot the cut still takes one character.
    EXPECT_EQ(boxNameOfCaption("xyz"), "yz");
}

TEST(TextureBoxes, SetNullOnlyOnTheEdgeSlot) {
    TextureBox b = box("B", "a", "b", "c", "d", "e");
    EXPECT_FALSE(SetNull(b, 0));
    EXPECT_FALSE(SetNull(b, 4));
    EXPECT_TRUE(SetNull(b, 3));
    EXPECT_EQ(b.Slots[3], "NULL");
    EXPECT_TRUE(isNullTexture("null"));
    EXPECT_TRUE(isNullTexture("NuLl"));
    EXPECT_FALSE(isNullTexture("NULL "));
}

TEST(TextureBoxes, ClipboardCopyPasteAndRefusals) {
    const TextureBox source = box("Wet.sand", "a", "b", "c", "NULL", "e");
    const std::string text = textureBoxClipboardText(source);
    EXPECT_EQ(text, "Wet.sand\r\na\r\nb\r\nc\r\nNULL\r\ne\r\n");
    TextureBox target = box("Old", "1", "2", "3", "4", "5");
    ASSERT_TRUE(pasteTextureBox(target, text));
    EXPECT_EQ(target, source);

    const TextureBox before = target;
    std::array<std::string, 6> lines;
    for (const std::string& bad :
         {std::string(""), std::string("a\r\nb\r\nc\r\nd\r\ne\r\n"),
          std::string("n\r\na\r\nb\r\nc\r\nd\r\ne"), std::string("n\na\nb\nc\nd\ne\n"),
          std::string("n\r\na\r\n\r\nc\r\nd\r\ne\r\n")}) {
        EXPECT_FALSE(ParseTextureBoxClipboard(bad, lines)) << bad;
        EXPECT_FALSE(pasteTextureBox(target, bad));
        EXPECT_EQ(target, before);
    }
    // Text after the sixth line does not matter.
    EXPECT_TRUE(ParseTextureBoxClipboard(text + "more", lines));
    EXPECT_EQ(lines[0], "Wet.sand");
    EXPECT_EQ(lines[5], "e");
}

TEST(TextureBoxes, SaveNameGetsTxtUnlessItHoldsItAnywhere) {
    EXPECT_EQ(withTxtExtension("/maps/list"), "/maps/list.txt");
    EXPECT_EQ(withTxtExtension("/maps/list.txt"), "/maps/list.txt");
    EXPECT_EQ(withTxtExtension("/maps/a.txt.bak"), "/maps/a.txt.bak");
    EXPECT_EQ(withTxtExtension("/maps/list.TXT"), "/maps/list.TXT.txt");
}
