// The texture list as a document: files read as far as they go with what was left out named,
// refused only when they are not text; edits that mark it modified, saving that clears the mark
// only when the file was written.

#include "textures/TextureListDocument.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QUndoStack>

using namespace lw;
using lwtest::TempDir;

namespace {

const std::string kTwoBoxes = "G01\r\nG02\r\nG03\r\nNULL\r\nGrass\r\n\r\n"
                              "R01\r\nR02\r\nR03\r\nE01\r\nRock\r\nR05\r\n\r\n";

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

// What a reading leaves out of a list, as the user is told; empty when all of it was read.
std::string leftOut(const std::string& text, size_t boxes) {
    std::string dropped = "unset";
    const TextureBoxList list = parseTextureList(text, &dropped);
    EXPECT_EQ(list.Boxes.size(), boxes) << text;
    return dropped;
}

TEST(TextureListReading, WhatTheReadingLeavesOutIsNamed) {
    std::string full, tooMany;
    for (int i = 0; i < kMaxTextureBoxes; ++i)
        full += "a\nb\nc\nd\nBox\n\n";
    tooMany = full + "a\nb\nc\nd\nBox\n\n";
    struct Case {
        std::string text;
        size_t boxes;
        std::string dropped;
    };
    const Case cases[] = {
        {"", 0, ""},
        {kTwoBoxes, 2, ""},
        {kTwoBoxes + "\r\n\r\n  \r\n", 2, ""},
        {"a\nb\nc\nd\nname\n", 1, ""},
        {"a\nb\nc\nd\nname\nfifth", 1, ""},
        {full, 64, ""},
        {"a\nb\nc\nd\nOne\n\nx\ny\n\nmore\n", 1,
         "box 2 at line 7 has 2 texture lines of the four a box needs (top, side, bottom, edge "
         "or NULL); it and everything after it were left out"},
        {"a\nb\nc\nd\nOne\n\nx\ny\n", 1,
         "box 2 at line 7 has 2 texture lines of the four a box needs (top, side, bottom, edge "
         "or NULL) and was left out"},
        {"a\nb\nc\nd\nOne\n\n\nx\ny\nz\nw\nTwo\n\n", 1,
         "line 7 is empty where box 2 should begin; it ends the list, and the lines after it "
         "were left out"},
        // Records run together: the line where the empty one belongs is lost, and the next
        // record is read from the line after it.
        {"a\nb\nc\nd\nOne\nfifth\nx\ny\nz\nw\nTwo\n\n", 2,
         "line 7 (\"x\") stands where the empty line after box 1 belongs and was left out"},
        {tooMany, 64, "a list holds at most 64 boxes; everything from line 385 on was left out"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(leftOut(c.text, c.boxes), c.dropped) << c.text;
}

TEST(TextureListReading, OnlyWhatIsNotTextIsRefused) {
    auto reason = [](const std::string& text) {
        const Status st = checkTextureListText(text);
        return st ? std::string() : st.error().detail;
    };
    EXPECT_EQ(reason(kTwoBoxes), "");
    EXPECT_NE(reason(std::string("a\nb\0c\n", 6)).find("zero byte at offset 3"), std::string::npos);
    EXPECT_EQ(reason("a\n" + std::string(kMaxTextureListLine, 'x') + "\n"), "");
    EXPECT_EQ(reason("a\n" + std::string(kMaxTextureListLine + 1, 'x') + "\n").rfind("line 2: ", 0),
              0u);
}

TEST(TextureListFile, RefusalsNameTheFileAndTheReason) {
    TempDir dir;
    lwtest::writeBytes(dir / "cut.txt", {'a', '\n', 'b', '\n'});
    std::string dropped;
    auto cut = readTextureListFile((dir / "cut.txt").string(), &dropped);
    ASSERT_TRUE(cut) << "a text file is read as far as it goes";
    EXPECT_TRUE(cut->Boxes.empty());
    EXPECT_NE(dropped.find("box 1 at line 1 has 2 texture lines"), std::string::npos) << dropped;

    lwtest::writeBytes(dir / "binary.txt", {'a', '\n', 0, '\n'});
    auto binary = readTextureListFile((dir / "binary.txt").string());
    ASSERT_FALSE(binary);
    EXPECT_EQ(binary.error().text, "Bad Texture File!");
    EXPECT_NE(binary.error().detail.find("binary.txt"), std::string::npos);

    auto missing = readTextureListFile((dir / "none.txt").string());
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().key, "sBadTextureFile");
    EXPECT_NE(missing.error().detail.find("none.txt"), std::string::npos);

    lwtest::writeBytes(dir / "huge.txt", std::vector<uint8_t>(kMaxTextureListFileSize + 1, 'a'));
    auto huge = readTextureListFile((dir / "huge.txt").string());
    ASSERT_FALSE(huge);
    EXPECT_NE(huge.error().detail.find("1048577 bytes"), std::string::npos) << huge.error().detail;
}

TEST(TextureListDocument, ARefusedFileLeavesTheOpenListAsItWas) {
    TempDir dir;
    const std::vector<uint8_t> good(kTwoBoxes.begin(), kTwoBoxes.end());
    lwtest::writeBytes(dir / "good.txt", good);
    lwtest::writeBytes(dir / "bad.txt", {'a', '\n', 0, '\n'});
    TextureListDocument doc;
    ASSERT_TRUE(doc.open(qpath(dir / "good.txt")));
    ASSERT_TRUE(doc.rename(0, "Meadow"));
    const TextureBoxList before = doc.list();
    int replaced = 0;
    QObject::connect(&doc, &TextureListDocument::listReplaced, [&] { ++replaced; });
    EXPECT_FALSE(doc.open(qpath(dir / "bad.txt")));
    EXPECT_FALSE(doc.open(qpath(dir / "missing.txt")));
    EXPECT_EQ(doc.list(), before);
    EXPECT_EQ(doc.fileName(), qpath(dir / "good.txt"));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(replaced, 0);
}

TEST(TextureListDocument, EditsMarkItModifiedAndSavingClearsTheMark) {
    TempDir dir;
    lwtest::writeBytes(dir / "list.txt", std::vector<uint8_t>(kTwoBoxes.begin(), kTwoBoxes.end()));
    TextureListDocument doc;
    int modified = 0;
    std::vector<int> changed;
    QObject::connect(&doc, &TextureListDocument::modifiedChanged, [&] { ++modified; });
    QObject::connect(&doc, &TextureListDocument::boxChanged,
                     [&](int box) { changed.push_back(box); });
    ASSERT_TRUE(doc.open(qpath(dir / "list.txt")));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.boxCount(), 2);

    EXPECT_FALSE(doc.setSlot(0, 0, "G01")) << "nothing changes";
    EXPECT_FALSE(doc.setSlot(0, 0, "")) << "an empty slot would end the list in the file";
    EXPECT_FALSE(doc.setSlot(2, 0, "X"));
    EXPECT_FALSE(doc.isModified());
    EXPECT_TRUE(doc.setSlot(1, 2, "Dirt"));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(changed, std::vector<int>{1});

    EXPECT_FALSE(doc.setNull(1, 2)) << "only the edge slot";
    EXPECT_TRUE(doc.setNull(1, 3));
    EXPECT_EQ(doc.box(1).Slots[3], "NULL");
    EXPECT_FALSE(doc.rename(0, "two\nlines"));
    EXPECT_TRUE(doc.rename(0, "Grass 2.0"));

    // Paste takes a box as "Copy Texture Box" writes it.
    const std::string copied = textureBoxClipboardText(doc.box(1));
    EXPECT_FALSE(doc.pasteBox(0, "only\r\nfive\r\nlines\r\nare\r\nhere\r\n"));
    EXPECT_TRUE(doc.pasteBox(0, copied));
    EXPECT_EQ(doc.box(0), doc.box(1));

    ASSERT_TRUE(doc.save(qpath(dir / "saved.txt")));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.fileName(), qpath(dir / "saved.txt"));
    auto back = readTextureListFile((dir / "saved.txt").string());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, doc.list());
    EXPECT_EQ(modified, 2); // on with the first edit, off with the save

    // Every edit is a step of the list's own history; back at the saved step it is unmodified.
    const TextureBoxList saved = doc.list();
    ASSERT_TRUE(doc.removeBox(0));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.history()->undoText(), "Delete Texture Box");
    doc.history()->undo();
    EXPECT_EQ(doc.list(), saved);
    EXPECT_FALSE(doc.isModified());
    doc.history()->undo(); // the paste
    EXPECT_NE(doc.box(0), doc.box(1));
    EXPECT_TRUE(doc.isModified());
    ASSERT_TRUE(doc.open(qpath(dir / "saved.txt")));
    EXPECT_FALSE(doc.history()->canUndo()) << "a list opened starts its history afresh";
}

TEST(TextureListDocument, AFailedSaveKeepsTheListModifiedAndItsName) {
    TempDir dir;
    TextureListDocument doc;
    ASSERT_TRUE(doc.addBox());
    const QString before = doc.fileName();
    EXPECT_FALSE(doc.save(qpath(dir / "no-such-folder" / "list.txt")));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.fileName(), before);
}

TEST(TextureListDocument, BoxesAreAddedUpToSixtyFourAndRemoved) {
    TextureListDocument doc;
    for (int i = 0; i < kMaxTextureBoxes; ++i)
        ASSERT_TRUE(doc.addBox());
    EXPECT_FALSE(doc.addBox());
    EXPECT_EQ(doc.box(63).Name, "New");
    for (const std::string& slot : doc.box(0).Slots)
        EXPECT_EQ(slot, "NULL");
    ASSERT_TRUE(doc.rename(1, "Second"));
    EXPECT_TRUE(doc.removeBox(0));
    EXPECT_FALSE(doc.removeBox(63));
    EXPECT_EQ(doc.boxCount(), 63);
    EXPECT_EQ(doc.box(0).Name, "Second");
}
