// Two editors on one map: a change another program makes to the open map's file is told at
// once with the choice to load it again, a save over it asks first, and a deleted file is
// reported and written again by the next save.

#include "MainFormFixture.h"

#include <QMessageBox>

using namespace lw;
using namespace lwtest;

namespace {

class SharedMap : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        form_->dialogs().askReload = [this](QWidget*, const QString&, const QString& text) {
            reloadQuestions_ << text;
            return reloadAnswer_;
        };
        form_->dialogs().askOverwrite = [this](QWidget*, const QString&, const QString& text) {
            overwriteQuestions_ << text;
            return overwriteAnswer_;
        };
        // The other editor hears of our saves too; it keeps its map and says nothing here.
        other_.dialogs() = form_->dialogs();
        other_.dialogs().askReload = [this](QWidget*, const QString&, const QString&) {
            ++otherTold_;
            return false;
        };
        other_.dialogs().askOverwrite = [](QWidget*, const QString&, const QString&) {
            return true;
        };
        other_.dialogs().warn = [this](QWidget*, const QString&, const QString&) { ++otherTold_; };
        ASSERT_TRUE(form_->openMapFile(demoPath_));
        ASSERT_TRUE(other_.openMapFile(demoPath_));
    }
    // The other editor adds a poxel and saves.
    void otherSaves() {
        other_.document().addPoxel(*other_.EditRoot());
        ASSERT_TRUE(other_.saveMapFile(demoPath_, false));
    }
    std::vector<uint8_t> fileBytes() const { return readBytes(demoPath_.toStdString()); }

    TMainForm other_;
    QStringList reloadQuestions_, overwriteQuestions_;
    bool reloadAnswer_ = true;
    bool overwriteAnswer_ = false;
    int otherTold_ = 0;
};

} // namespace

TEST_F(SharedMap, AChangeIsToldAtOnceAndReloadShowsIt) {
    otherSaves();
    ASSERT_TRUE(waitFor([&] { return !reloadQuestions_.isEmpty(); }, 5000)) << "not told";
    EXPECT_EQ(reloadQuestions_,
              QStringList{"demo.xom was changed by another program. Load it again?"});
    EXPECT_EQ(mapBytes(), fileBytes()) << "loaded again";
    EXPECT_FALSE(form_->document().isModified());
    EXPECT_TRUE(overwriteQuestions_.isEmpty()) << "our own reload is no change";
    wait(300);
    EXPECT_EQ(reloadQuestions_.size(), 1) << "told once";
}

TEST_F(SharedMap, KeepMineThenASaveAsksBeforeOverwriting) {
    form_->document().addDummy(*form_->EditRoot());
    const std::vector<uint8_t> mine = mapBytes();
    reloadAnswer_ = false;
    otherSaves();
    ASSERT_TRUE(waitFor([&] { return !reloadQuestions_.isEmpty(); }, 5000));
    EXPECT_EQ(reloadQuestions_[0], "demo.xom was changed by another program. Load it again? The "
                                   "unsaved changes here would be lost.");
    EXPECT_EQ(mapBytes(), mine) << "kept";
    const std::vector<uint8_t> theirs = fileBytes();

    // Cancel leaves their file; Overwrite writes ours.
    EXPECT_FALSE(form_->saveMapFile(demoPath_, false));
    ASSERT_EQ(overwriteQuestions_.size(), 1);
    EXPECT_EQ(overwriteQuestions_[0],
              "demo.xom was changed by another program since it was opened or saved here. "
              "Overwrite those changes with this map?");
    EXPECT_EQ(fileBytes(), theirs);
    EXPECT_TRUE(form_->document().isModified());
    overwriteAnswer_ = true;
    ASSERT_TRUE(form_->saveMapFile(demoPath_, false));
    EXPECT_EQ(fileBytes(), mine);
    // Our own save is no change to tell here, and one for the other editor.
    EXPECT_TRUE(waitFor([&] { return otherTold_ > 0; }, 5000));
    EXPECT_EQ(reloadQuestions_.size(), 1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(SharedMap, ADeletedFileIsReportedAndSavingWritesItAgain) {
    std::filesystem::remove(demoPath_.toStdString());
    ASSERT_TRUE(waitFor([&] { return !warnings_.isEmpty(); }, 5000)) << "not reported";
    EXPECT_EQ(warnings_, QStringList{"Warning|demo.xom was deleted by another program. The map "
                                     "stays open here; saving writes the file again."});
    EXPECT_TRUE(form_->document().isModified()) << "leaving asks to save it";
    saveAnswer_ = QMessageBox::Save;
    ASSERT_TRUE(form_->maybeSave());
    EXPECT_EQ(fileBytes(), mapBytes());
    EXPECT_TRUE(overwriteQuestions_.isEmpty());
    // Written again by someone else after that: told as a change.
    wait(300);
    otherSaves();
    EXPECT_TRUE(waitFor([&] { return !reloadQuestions_.isEmpty(); }, 5000));
}
