// Files dropped onto the window: maps open (asking first about unsaved changes), the other
// kinds go to their commands, anything else is refused with a message.

#include "MainFormFixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>

using namespace lw;
using namespace lwtest;

namespace {

class FileDrop : public MainFormFixture {
protected:
    // A drag that enters `target` and is dropped there, as the window system delivers it.
    // Returns whether the window took it.
    bool drop(QWidget* target, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        // The drop goes where the enter was taken: the main window.
        QDropEvent dropped(form_->mapFromGlobal(target->mapToGlobal(at)), enter.dropAction(), &data,
                           Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_.get(), &dropped);
        const bool taken = dropped.isAccepted();
        QApplication::processEvents(); // the file is opened after the drop returns
        return taken;
    }
    bool drop(const QString& file) { return drop(form_.get(), {QUrl::fromLocalFile(file)}); }
};

TEST_F(FileDrop, AMapDroppedOnTheWindowTheViewOrTheTreeOpensIt) {
    EXPECT_TRUE(drop(demoPath_));
    EXPECT_EQ(form_->document().fileName(), demoPath_);
    EXPECT_EQ(form_->EditRoot()->Children.size(), 2u);
    EXPECT_EQ(shownTitle(*form_), "Landwright v.2.3 by Corvell - [demo.xom]");
    EXPECT_EQ(form_->recentMaps().at(0), demoPath_) << "like Open map...";
    EXPECT_TRUE(saveQuestions_.isEmpty()) << "nothing to lose";
    EXPECT_TRUE(errors_.isEmpty());
    // The view and the tree leave drops to the window; a Kestrel map, its extension in capitals.
    const QString other = writeMap("other.xom");
    EXPECT_TRUE(drop(form_->OpenGLBox(), {QUrl::fromLocalFile(other)}));
    EXPECT_EQ(form_->document().fileName(), other);
    const QString kestrel = writeMap("LUNAR.XAN");
    EXPECT_TRUE(drop(form_->TreeView1->viewport(), {QUrl::fromLocalFile(kestrel)}));
    EXPECT_EQ(form_->document().fileName(), kestrel);
}

TEST_F(FileDrop, AMapDroppedOnUnsavedChangesAsksFirst) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    form_->document().addPoxel(*form_->EditRoot());
    const std::vector<uint8_t> edited = mapBytes();
    const QString other = writeMap("other.xom");
    saveAnswer_ = QMessageBox::Cancel;
    drop(other);
    EXPECT_EQ(saveQuestions_, QStringList{"Save changes to demo.xom?"});
    EXPECT_EQ(form_->document().fileName(), demoPath_) << "cancelled: the map stays";
    EXPECT_EQ(mapBytes(), edited);
    EXPECT_TRUE(form_->document().isModified());
    saveAnswer_ = QMessageBox::Discard;
    drop(other);
    EXPECT_EQ(form_->document().fileName(), other);
    EXPECT_FALSE(form_->document().isModified());
}

TEST_F(FileDrop, ABadMapDroppedIsRefusedAndChangesNothing) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    const std::vector<uint8_t> before = mapBytes();
    const auto bad = dir_ / "bad.xom";
    writeBytes(bad, {'M', 'O', 'I', 'K', 0, 1});
    drop(QString::fromStdString(bad.string()));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error|Bad Xom Format File!")) << errors_[0].toStdString();
    EXPECT_EQ(form_->document().fileName(), demoPath_);
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(FileDrop, TextureListsModelsAndHeightmapsGoToTheirCommands) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    const std::vector<uint8_t> before = mapBytes();
    // Files that are no good of their kind: each command refuses in its own words, never with
    // the refusal of an unknown kind, and the map stays as it was.
    for (const char* name : {"boxes.txt", "tower.3ds", "hill.HMP"}) {
        errors_.clear();
        const auto file = dir_ / name;
        writeBytes(file, {'n', 0, 'o'});
        EXPECT_TRUE(drop(QString::fromStdString(file.string()))) << name;
        ASSERT_EQ(errors_.size(), 1) << name;
        EXPECT_FALSE(errors_[0].contains("Landwright opens maps")) << errors_[0].toStdString();
        EXPECT_EQ(form_->document().fileName(), demoPath_) << name;
        EXPECT_EQ(mapBytes(), before) << name;
    }
}

TEST_F(FileDrop, AnythingElseIsRefusedWithAMessage) {
    const auto picture = dir_ / "photo.png";
    writeBytes(picture, {1, 2, 3});
    const std::vector<uint8_t> before = mapBytes();
    EXPECT_TRUE(drop(QString::fromStdString(picture.string()))) << "taken, then refused";
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_[0], "Error|Cannot open photo.png. Landwright opens maps (.xom, .xan), "
                          "texture lists (.txt), 3DS models (.3ds) and heightmaps (.hmp).");
    // A folder, several files, a web address.
    errors_.clear();
    drop(QString::fromStdString(dir_.path().string()));
    drop(form_.get(), {QUrl::fromLocalFile(demoPath_), QUrl::fromLocalFile(demoPath_)});
    drop(form_.get(), {QUrl("https://example.org/demo.xom")});
    ASSERT_EQ(errors_.size(), 3);
    EXPECT_TRUE(errors_[0].contains("Landwright opens maps"));
    EXPECT_EQ(errors_[1], "Error|Drop one file at a time.");
    EXPECT_EQ(errors_[2], "Error|Only files on this computer can be opened: "
                          "https://example.org/demo.xom");
    EXPECT_EQ(mapBytes(), before);
    EXPECT_TRUE(form_->document().fileName().isEmpty());
    // What is no file at all is not even taken.
    QMimeData text;
    text.setText("Root");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

} // namespace
