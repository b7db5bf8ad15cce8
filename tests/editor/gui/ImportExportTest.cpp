// The import and export commands of the main window: a 3DS model through the import dialog and
// its worker, cancelling, refused files, and the heightmap preview and terrain commands.

#include "MainFormFixture.h"

#include "core/ByteIO.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "editor/gui/PropertiesPage.h"
#include "io/HeightmapFile.h"
#include "io/gui/ExportModelForm.h"
#include "io/gui/ImportHMForm.h"
#include "io/gui/ImportModelForm.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>

#include <array>
#include <functional>

using namespace lwtest;

namespace {

QString model(const char* name) {
    return QString::fromStdString(std::string(LW_SHARED_TESTDATA_DIR) + "/3ds/" + name);
}

// Node contents in pre-order; where a file stored a node (StoreIndex) depends on the rest of
// the map and is left out.
void contents(const TPoxel& node, std::vector<PoxelContent>& out) {
    out.push_back(node.content());
    out.back().StoreIndex = 0;
    for (const auto& c : node.Children)
        contents(*c, out);
}

class ImportExport : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        if (!HasFatalFailure() && !showWindow())
            GTEST_SKIP() << "no OpenGL window";
    }
    QUndoStack* stack() { return form_->document().undoStack(); }
};

} // namespace

TEST_F(ImportExport, ModelImportRunsOnTheWorkerAndMatchesTheCommandLine) {
    LW_REQUIRE_SHARED_TESTDATA();
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    const auto before = mapBytes();
    const int steps = stack()->count();
    int highestBar = 0;
    bool sawModel = false;
    form_->importDialogHook = [&](TImport3DModel& dialog) {
        QObject::connect(dialog.ProgressPoxel, &QProgressBar::valueChanged,
                         [&](int v) { highestBar = std::max(highestBar, v); });
        QObject::connect(&dialog, &TImport3DModel::modelRead, [&] { sawModel = true; });
        dialog.startImport(model("jeep1.3ds"));
        EXPECT_TRUE(dialog.running());
        EXPECT_FALSE(dialog.Open3ds->isEnabled());
    };
    form_->Import3ds1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QStringLiteral("\n")).toStdString();
    EXPECT_GT(highestBar, 0);
    EXPECT_TRUE(sawModel);
    EXPECT_TRUE(form_->Show3DModel1->isChecked());
    ASSERT_EQ(stack()->count(), steps + 1);
    const TPoxel& group = *form_->EditRoot()->Children.back();
    EXPECT_EQ(group.Name, "jeep1.3ds");
    std::vector<PoxelContent> gui;
    contents(group, gui);

    const std::string out = (dir_ / "cli.xom").string();
    auto cli = runCli("3ds import " + shellQuoted(model("jeep1.3ds").toStdString()) + " " +
                      shellQuoted(out));
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    auto read = readMapFile(out, CounterMode::Keep);
    ASSERT_TRUE(read.ok());
    // The file keeps what a map stores; compare after the same trip through a map file.
    const std::string guiOut = (dir_ / "gui.xom").string();
    ASSERT_TRUE(WriteMapFile(*form_->EditRoot(), guiOut).ok());
    auto guiTrip = readMapFile(guiOut, CounterMode::Keep);
    ASSERT_TRUE(guiTrip.ok());
    std::vector<PoxelContent> fromGui, fromCli;
    contents(*(*guiTrip)->Children.back(), fromGui);
    contents(*(*read)->Children.back(), fromCli);
    ASSERT_EQ(fromGui.size(), fromCli.size());
    for (size_t i = 0; i < fromGui.size(); ++i)
        EXPECT_TRUE(fromGui[i] == fromCli[i]) << "node " << i << " " << fromGui[i].Name;
    EXPECT_GT(gui.size(), 7u);

    // The model's wireframe leaves and comes back with its nodes.
    EXPECT_TRUE(form_->importedModelShown());
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    EXPECT_FALSE(form_->importedModelShown());
    form_->Redo1->trigger();
    EXPECT_TRUE(form_->importedModelShown());
    std::vector<PoxelContent> again;
    contents(*form_->EditRoot()->Children.back(), again);
    EXPECT_EQ(again, gui);
}

TEST_F(ImportExport, CancelledOrRefusedImportsLeaveTheMapAlone) {
    LW_REQUIRE_SHARED_TESTDATA();
    const auto before = mapBytes();
    const int steps = stack()->count();
    // Cancelled while the large model is still being read: no poxel was finished.
    form_->importDialogHook = [&](TImport3DModel& dialog) {
        dialog.startImport(model("pyramob.3DS"));
        dialog.CancelClick();
    };
    form_->Import3ds1->trigger();
    EXPECT_EQ(stack()->count(), steps);
    EXPECT_EQ(mapBytes(), before);
    EXPECT_TRUE(errors_.isEmpty());

    for (const char* bad : {"malformed_wrong.3ds", "malformed_empty.3ds"}) {
        errors_.clear();
        form_->importDialogHook = [&](TImport3DModel& dialog) { dialog.startImport(model(bad)); };
        form_->Import3ds1->trigger();
        ASSERT_EQ(errors_.size(), 1) << bad;
        EXPECT_EQ(errors_[0].count(model(bad)), 1) << errors_[0].toStdString();
        EXPECT_EQ(stack()->count(), steps);
        EXPECT_EQ(mapBytes(), before);
    }
}

TEST_F(ImportExport, HeightmapPreviewOpenSaveCloseAndRefusals) {
    HeightmapPreview source = makeHeightmapPreview();
    source.poxel->Heights[3][5] = 2.25f;
    source.mask.at(99 - 3, 99 - 5) = 200;
    const std::string path = (dir_ / "land.hmp").string();
    ASSERT_TRUE(writeHmpFile(source, path).ok());
    const auto before = mapBytes();

    EXPECT_FALSE(form_->SaveHeightmap1->isEnabled());
    ASSERT_TRUE(form_->openHeightmapFile(QString::fromStdString(path)));
    ASSERT_TRUE(form_->heightmapPreview().poxel);
    EXPECT_EQ(form_->scene().HeightmapPreview, form_->heightmapPreview().poxel.get());
    EXPECT_EQ(form_->SelectedId(), form_->heightmapPreview().poxel->ListId);
    EXPECT_TRUE(form_->SaveHeightmap1->isEnabled());
    EXPECT_FLOAT_EQ(form_->heightmapPreview().poxel->Heights[3][5], 2.25f);
    EXPECT_NEAR(form_->heightmapPreview().poxel->HmImage[5][3], 200 / 255.0, 1e-6);
    // The preview is no part of the map.
    EXPECT_EQ(mapBytes(), before);

    const std::string again = (dir_ / "again.hmp").string();
    ASSERT_TRUE(form_->saveHeightmapFile(QString::fromStdString(again)));
    EXPECT_EQ(readBytes(again), readBytes(path));

    // A short file is refused naming it; the preview stays as it was.
    std::vector<uint8_t> shortFile(49999, 0);
    writeBytes(dir_ / "short.hmp", shortFile);
    EXPECT_FALSE(form_->openHeightmapFile(qpath(dir_ / "short.hmp")));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("short.hmp")));
    EXPECT_FLOAT_EQ(form_->heightmapPreview().poxel->Heights[3][5], 2.25f);

    // The Height Map panel's buttons work on the preview: a picture makes its heights, which
    // the next save writes; the export shows their range.
    QImage ramp(100, 100, QImage::Format_Grayscale8);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ramp.scanLine(y)[x] = uchar(x * 255 / 99);
    ASSERT_TRUE(ramp.save(qpath(dir_ / "ramp.bmp")));
    form_->pictureDialogHook = [&](TImportHMForm& dialog) {
        ASSERT_TRUE(dialog.openImage(qpath(dir_ / "ramp.bmp")).ok());
        dialog.EditX1->setFloatVal(-1);
        dialog.EditX2->setFloatVal(3);
        dialog.Button2Click();
    };
    ASSERT_TRUE(form_->PropertiesPage->ImportHmap->isEnabled());
    form_->PropertiesPage->ImportHmap->click();
    float lo = 99, hi = -99;
    for (const auto& column : form_->heightmapPreview().poxel->Heights)
        for (float v : column) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    EXPECT_NEAR(lo, -1.0f, 0.05f);
    EXPECT_NEAR(hi, 3.0f, 0.05f);
    EXPECT_EQ(mapBytes(), before);
    double shownMax = 0;
    form_->pictureDialogHook = [&](TImportHMForm& dialog) {
        shownMax = dialog.EditX2->FloatVal();
        dialog.reject();
    };
    ASSERT_TRUE(form_->PropertiesPage->ExportHmap->isEnabled());
    form_->PropertiesPage->ExportHmap->click();
    EXPECT_NEAR(shownMax, 3.0, 0.05);

    form_->CloseHeightmap1->trigger();
    EXPECT_FALSE(form_->heightmapPreview().poxel);
    EXPECT_EQ(form_->scene().HeightmapPreview, nullptr);
    EXPECT_FALSE(form_->CloseHeightmap1->isEnabled());
    EXPECT_EQ(form_->SelectedId(), form_->EditRoot()->ListId);
}

TEST_F(ImportExport, DialogsKeepTheirChoicesFromOneOpeningToTheNext) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    form_->selectById(ground()->ListId);
    int shown = 0;
    form_->importDialogHook = [&](TImport3DModel& dialog) {
        if (shown++ == 0) {
            // The options box fades from the unactive colour at its sides to the active one.
            const QImage box = dialog.GroupBox1->grab().toImage();
            const int y = box.height() - 6;
            EXPECT_GE(box.pixelColor(box.width() / 2, y).blue(), 0xF0);
            EXPECT_GE(box.pixelColor(box.width() / 2, y).red(), 0xF0);
            EXPECT_NEAR(box.pixelColor(4, y).blue(), 0xBB, 8);
            EXPECT_NEAR(box.pixelColor(4, y).red(), 0x9D, 12);
            dialog.SizeX->setFloatVal(5);
            dialog.Quality->setFloatVal(0.2);
            dialog.LayersSmooth->setChecked(false);
            dialog.HtMap->click();
        } else {
            EXPECT_EQ(dialog.SizeX->FloatVal(), 5.0);
            EXPECT_EQ(dialog.Quality->FloatVal(), 0.2);
            EXPECT_FALSE(dialog.LayersSmooth->isChecked());
            EXPECT_TRUE(dialog.HtMap->isChecked());
            EXPECT_TRUE(dialog.VoxDiv->isEnabled());
        }
        dialog.CancelClick();
    };
    form_->Import3ds1->trigger();
    form_->Import3ds1->trigger();
    EXPECT_EQ(shown, 2);

    // The picture dialog keeps Contrast, Max Val and Min Val of an import; an export shows the
    // range of the heights instead and leaves them for the next import.
    form_->pictureDialogHook = [&](TImportHMForm& dialog) {
        dialog.EditX3->setFloatVal(30);
        dialog.EditX2->setFloatVal(7);
        dialog.EditX1->setFloatVal(-2);
        dialog.reject();
    };
    form_->ImportHmapClick();
    form_->pictureDialogHook = [&](TImportHMForm& dialog) {
        EXPECT_EQ(dialog.EditX3->FloatVal(), 0.0);
        EXPECT_NE(dialog.EditX2->FloatVal(), 7.0);
        dialog.reject();
    };
    form_->ExportHmapClick();
    std::array<double, 3> kept{};
    form_->pictureDialogHook = [&](TImportHMForm& dialog) {
        kept = {dialog.EditX3->FloatVal(), dialog.EditX2->FloatVal(), dialog.EditX1->FloatVal()};
        dialog.reject();
    };
    form_->ImportHmapClick();
    EXPECT_EQ(kept, (std::array<double, 3>{30, 7, -2}));
}

TEST_F(ImportExport, HeightmapTerrainIsOneStep) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 100 * 100; ++i)
        appendF32(bytes, i % 7 == 0 ? 1.0f : 0.0f);
    writeBytes(dir_ / "t.hmp", bytes); // heights only: enough for terrain
    const auto before = mapBytes();
    const int steps = stack()->count();
    TPoxel* group = form_->importHeightmapFile(qpath(dir_ / "t.hmp"));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->Name, "HMapDummy");
    EXPECT_EQ(group->Children.size(), 32u);
    EXPECT_EQ(stack()->count(), steps + 1);
    EXPECT_EQ(form_->SelectedId(), group->ListId);
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);

    bytes.resize(39999);
    writeBytes(dir_ / "bad.hmp", bytes);
    EXPECT_FALSE(form_->importHeightmapFile(qpath(dir_ / "bad.hmp")));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("bad.hmp")));
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(ImportExport, MakeHmapMatchesTheCommandLine) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    const auto before = mapBytes();
    ASSERT_TRUE(form_->makeHeightmapOf(*form_->EditRoot()));
    ASSERT_TRUE(form_->heightmapPreview().poxel);
    const THmap gui = form_->heightmapPreview().poxel->Heights;
    EXPECT_EQ(mapBytes(), before);

    const std::string out = (dir_ / "depth.hmp").string();
    auto cli =
        runCli("hmp from-map " + shellQuoted(demoPath_.toStdString()) + " " + shellQuoted(out));
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    auto read = readHmpFile(out);
    ASSERT_TRUE(read.ok());
    const THmap& fromCli = read->poxel->Heights;
    int drawn = 0;
    for (size_t x = 0; x < 100; ++x)
        for (size_t z = 0; z < 100; ++z) {
            EXPECT_NEAR(gui[x][z], fromCli[x][z], 3 * 1.5 / 65535) << x << "," << z;
            drawn += gui[x][z] > 0;
        }
    EXPECT_GT(drawn, 0);
}

TEST_F(ImportExport, ExportThroughTheDialogWritesWhatTheCommandLineWrites) {
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    const std::string whole = (dir_ / "whole.3ds").string();
    bool texturesOffered = true;
    form_->exportDialogHook = [&](TExport3DModel& dialog) {
        texturesOffered = dialog.Textures->isEnabled();
        dialog.FullMap->setChecked(true);
        EXPECT_TRUE(dialog.exportTo(QString::fromStdString(whole)).ok());
    };
    form_->Export3ds1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QStringLiteral("\n")).toStdString();
    EXPECT_FALSE(texturesOffered);
    auto cli = runCli("3ds export " + shellQuoted(demoPath_.toStdString()) + " " +
                      shellQuoted((dir_ / "cli.3ds").string()));
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    // The command-line tool's files are checked in a peer reader; the window writes the same.
    EXPECT_EQ(readBytes(whole), readBytes(dir_ / "cli.3ds"));

    // "Select Model" with nothing selected: refused with the reason, no file.
    form_->selectById(0);
    const std::string none = (dir_ / "none.3ds").string();
    form_->exportDialogHook = [&](TExport3DModel& dialog) {
        EXPECT_TRUE(dialog.FullMap->isChecked()) << "the last choice";
        dialog.SelectModel->setChecked(true);
        EXPECT_FALSE(dialog.exportTo(QString::fromStdString(none)).ok());
    };
    form_->Export3ds1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("none.3ds")));
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(ImportExport, PictureDialogAppliesHeightsAsOneStep) {
    LW_REQUIRE_SHARED_TESTDATA();
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    form_->selectById(ground()->ListId);
    const auto before = mapBytes();
    const std::string picture =
        std::string(LW_SHARED_TESTDATA_DIR) + "/images/testimgp_progressive.jpg";
    // The dialog is modal: whatever a check finds, it is closed afterwards.
    const auto closing = [](std::function<void(TImportHMForm&)> body) {
        return [body](TImportHMForm& dialog) {
            body(dialog);
            if (dialog.isVisible())
                dialog.reject();
        };
    };

    // A picture that does not load: the file and the reason, nothing applied.
    std::vector<uint8_t> junk(100, 7);
    writeBytes(dir_ / "junk.bmp", junk);
    form_->dialogs().openFile = [&](QWidget*, const QString&, const QString&) {
        return qpath(dir_ / "junk.bmp");
    };
    form_->pictureDialogHook = closing([&](TImportHMForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import Height Map"));
        EXPECT_FALSE(dialog.Button2->isEnabled());
        EXPECT_FALSE(dialog.Button4->isEnabled());
        dialog.Button1Click();
        EXPECT_FALSE(dialog.Button2->isEnabled());
    });
    EXPECT_FALSE(form_->importHeightsFromPicture());
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("junk.bmp"))) << errors_[0].toStdString();
    EXPECT_EQ(mapBytes(), before);

    form_->pictureDialogHook = closing([&](TImportHMForm& dialog) {
        ASSERT_TRUE(dialog.openImage(QString::fromStdString(picture)).ok());
        EXPECT_TRUE(dialog.Button2->isEnabled());
        dialog.EditX1->setFloatVal(-1);
        dialog.EditX2->setFloatVal(2.5);
        dialog.Invert->setChecked(true);
        dialog.Button2Click();
    });
    ASSERT_TRUE(form_->importHeightsFromPicture());
    float lo = 99, hi = -99;
    for (const auto& column : ground()->Heights)
        for (float v : column) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    EXPECT_GE(lo, -1.0f);
    EXPECT_LE(hi, 2.5f);
    EXPECT_LT(lo, hi);
    const THmap applied = ground()->Heights;
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    form_->Redo1->trigger();
    EXPECT_EQ(ground()->Heights, applied);

    // Export shows the range of the heights and writes the preview picture.
    form_->pictureDialogHook = closing([&](TImportHMForm& dialog) {
        EXPECT_NEAR(dialog.EditX2->FloatVal(), hi, 0.006);
        EXPECT_NEAR(dialog.EditX1->FloatVal(), lo, 0.006);
        EXPECT_TRUE(dialog.Button4->isEnabled());
        EXPECT_FALSE(dialog.Button1->isEnabled());
        auto saved = dialog.saveImage(qpath(dir_ / "out"));
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(*saved, (dir_ / "out.bmp").string());
    });
    form_->ExportHmapClick();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out.bmp"));
    EXPECT_EQ(ground()->Heights, applied);
}
