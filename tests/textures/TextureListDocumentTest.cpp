// The texture list as a document: files refused whole instead of read in part, edits that mark
// it modified, saving that clears the mark only when the file was written.

#include "textures/TextureListDocument.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QUndoStack>

using namespace lw;
using lwtest::TempDir;

namespace {

const std::string kTwoBoxes = "G01\r\nG02\r\nG03\r\nNULL\r\nGrass\r\n\r\n"
                              "R01\r\nR02\r\nR03\r\nE01\r\nRock\r\nR05\r\n\r\n";

std::string reason(const std::string& text) {
    const Status st = checkTextureListText(text);
    return st ? std::string() : st.error().detail;
}

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

TEST(TextureListCheck, ListsTheReaderTakesWholeArePassed) {
    EXPECT_EQ(reason(""), "");
    EXPECT_EQ(reason(kTwoBoxes), "");
    EXPECT_EQ(reason(kTwoBoxes + "\r\n\r\n  \r\n"), "") << "blank lines at the end";
    EXPECT_EQ(reason("a\nb\nc\nd\nname\n"), "") << "LF only, no separator after the last box";
    EXPECT_EQ(reason("a\nb\nc\nd\nname\nfifth"), "") << "the fifth line ends the file";
    std::string full;
    for (int i = 0; i < kMaxTextureBoxes; ++i)
        full += "a\nb\nc\nd\nBox\n\n";
    EXPECT_EQ(reason(full), "");
}

TEST(TextureListCheck, ListsTheReaderWouldCutAreRefusedWithTheLine) {
    // The reader would drop box 2 and everything after it.
    EXPECT_EQ(reason("a\nb\nc\nd\nOne\n\nx\ny\n\nmore\n"),
              "line 7: box 2 has 2 texture lines; a box needs four (top, side, bottom, edge or "
              "NULL)");
    EXPECT_EQ(reason("a\nb\nc\nd\nOne\n\n\nx\ny\nz\nw\nTwo\n\n"),
              "line 7: an empty line where box 2 should begin");
    // Records run together without their empty line: the third line would be thrown away.
    EXPECT_EQ(reason("a\nb\nc\nd\nOne\nfifth\nx\ny\nz\nw\nTwo\n\n"),
              "line 7: box 1 is not followed by an empty line");
    std::string tooMany;
    for (int i = 0; i <= kMaxTextureBoxes; ++i)
        tooMany += "a\nb\nc\nd\nBox\n\n";
    EXPECT_EQ(reason(tooMany).rfind("line 385: more than 64 texture boxes", 0), 0u)
        << reason(tooMany);
    EXPECT_NE(reason(std::string("a\nb\0c\n", 6)).find("zero byte at offset 3"), std::string::npos);
}

TEST(TextureListFile, RefusalsNameTheFileAndTheReason) {
    TempDir dir;
    lwtest::writeBytes(dir / "cut.txt", {'a', '\n', 'b', '\n'});
    auto cut = readTextureListFile((dir / "cut.txt").string());
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.error().text, "Bad Texture File!");
    EXPECT_NE(cut.error().detail.find("cut.txt"), std::string::npos);
    EXPECT_NE(cut.error().detail.find("box 1 has 2 texture lines"), std::string::npos);

    auto missing = readTextureListFile((dir / "none.txt").string());
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().key, "sBadTextureFile");
    EXPECT_NE(missing.error().detail.find("none.txt"), std::string::npos);

    lwtest::writeBytes(dir / "huge.txt", std::vector<uint8_t>(kMaxTextureListFileSize + 1, 'a'));
    auto huge = readTextureListFile((dir / "huge.txt").string());
    ASSERT_FALSE(huge);
    EXPECT_NE(huge.error().detail.find("bytes long"), std::string::npos);
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
    auto back = ReadTextureList((dir / "saved.txt").string());
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
