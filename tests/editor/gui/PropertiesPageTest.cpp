// The property page in the main window: the panels each kind of node shows, their headers,
// colours and enabling; every field kind edited as a user does, checked on the node, undone to
// the same map bytes; typed text that is refused and values that take the range's bound; the
// value tables with their menu, the value dialog and the clipboard; VOX files; bindings dropped
// with the node they point into. The accessible names of the page's controls are checked with the
// main window's.

#include "MainFormFixture.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/gui/ValForm.h"
#include "editor/gui/ValueGrids.h"
#include "io/VoxFile.h"
#include "textures/TextureCodes.h"
#include "ui/Language.h"
#include "ui/Style.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/PanelPlus.h"
#include "ui/gui/SpinFloatX.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

using namespace lw;
using namespace lwtest;

namespace {

class PropertiesPage : public MainFormFixture {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        MainFormFixture::SetUp();
        ASSERT_TRUE(form_->openMapFile(demoPath_));
        page_ = form_->PropertiesPage;
        ASSERT_TRUE(page_);
        page_->dialogs().error = [this](QWidget*, const QString& title, const QString& text) {
            errors_.push_back(title + QStringLiteral("|") + text);
        };
    }
    void TearDown() override {
        MainFormFixture::TearDown();
        QLocale::setDefault(QLocale::system());
    }

    TPoxel* root() { return form_->EditRoot(); }
    TPoxel* emitter() { return ground()->Entities[0].get(); }
    MapDocument& doc() { return form_->document(); }
    int steps() { return doc().undoStack()->index(); }

    void select(TPoxel* node) {
        form_->selectById(node->ListId);
        ASSERT_EQ(page_->PanelPoxel(), node);
    }
    // The captions of the panels shown, in order.
    QStringList shownPanels() {
        QStringList out;
        for (TPanelPlus* p : page_->panels())
            if (!p->isHidden())
                out << p->caption();
        return out;
    }
    static void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        typeText(edit, text);
        keyClick(edit, Qt::Key_Return);
    }
    // Runs `edit` (one step), checks it with `check`, then undoes it to the same map bytes and
    // redoes it.
    template <typename Edit, typename Check> void editUndoRedo(Edit edit, Check check) {
        const auto before = mapBytes();
        const int count = steps();
        edit();
        ASSERT_EQ(steps(), count + 1) << "one edit, one step";
        check();
        const auto after = mapBytes();
        form_->Undo1->trigger();
        EXPECT_EQ(mapBytes(), before);
        form_->Redo1->trigger();
        EXPECT_EQ(mapBytes(), after);
        check();
    }

    TPropertiesPage* page_ = nullptr;
};

QColor active() {
    return toQColor(activeColor());
}
QColor inactive() {
    return toQColor(unactiveColor());
}

} // namespace

// ---- Layout ---------------------------------------------------------------------------------

TEST_F(PropertiesPage, AGroupShowsEveryCellPanelWithItsBrushesAndSizesDisabled) {
    select(island());
    EXPECT_EQ(shownPanels(),
              QStringList({"Position", "Rotate", "Size", "Texture Coordinates", "Layers",
                           "Poxels Size", "Poxel Texture", "Height Map", "Surfaces Type"}));
    for (QWidget* w : std::initializer_list<QWidget*>{
             page_->ButFillPoxel, page_->ButGetPoxel, page_->AutoBlur, page_->EditX10,
             page_->EditX11, page_->EditX12, page_->EditX16, page_->ApplySize, page_->ImportVox})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(page_->EditX3->isEnabled());
    EXPECT_TRUE(page_->Button3->isEnabled());
    EXPECT_EQ(page_->PanelPlus6->EditColor(), inactive());
    EXPECT_EQ(page_->TextCodePanel->EditColor(), inactive());
    EXPECT_EQ(page_->PanelPlus1->EditColor(), active());
    EXPECT_FALSE(page_->EditItem1->isReadOnly());
}

TEST_F(PropertiesPage, AnEntityShowsItsTransformClipAndLibrary) {
    select(emitter());
    EXPECT_EQ(shownPanels(),
              QStringList({"Position", "Rotate", "Size", "Clip", "Library Emitter"}));
    EXPECT_EQ(page_->EditEmName->text(), "Emitter_01");
    EXPECT_EQ(page_->EditLibName->text(), "Base_01");
    EXPECT_EQ(page_->PanelPlus10->EditText(), "Base_01");
    EXPECT_EQ(page_->PanelPlus9->EditColor(), active());
    EXPECT_TRUE(page_->EditX15->isEnabled());
    EXPECT_TRUE(page_->EditItem1->isReadOnly()) << "an entity is renamed in its own panel";
    EXPECT_EQ(page_->PanelPlus1->EditText(), "[2.0, 1.5, -1.0]");
}

TEST_F(PropertiesPage, TheRootShowsItsTransformReadOnly) {
    select(root());
    EXPECT_EQ(shownPanels(), QStringList({"Position", "Rotate", "Size"}));
    for (TEditX* f : {page_->EditX1, page_->EditX2, page_->EditX3, page_->EditX4, page_->EditX5,
                      page_->EditX6, page_->EditX7, page_->EditX8, page_->EditX9})
        EXPECT_FALSE(f->isEnabled());
    for (TPanelPlus* p : {page_->PanelPlus1, page_->PanelPlus2, page_->PanelPlus3})
        EXPECT_EQ(p->EditColor(), inactive());
    EXPECT_TRUE(page_->EditItem1->isReadOnly());
    // Spinning a disabled field writes nothing.
    const int count = steps();
    page_->EditX3->spinner()->setValue(4.0);
    EXPECT_EQ(root()->Pos.X, 0.0f);
    EXPECT_EQ(steps(), count);
}

TEST_F(PropertiesPage, HeadersAndSurfacesShowTheNode) {
    select(bridge());
    EXPECT_EQ(page_->PanelPlus1->EditText(), "[-6.0, 0.5, 0.0]");
    EXPECT_EQ(page_->PanelPlus3->EditText(), "[1.0, 0.5, 1.0]");
    EXPECT_EQ(page_->PanelPlus8->EditText(), "Smooth 1x");
    EXPECT_TRUE(page_->Smooth1->isChecked());
    EXPECT_FALSE(page_->Smooth2->isChecked());
    EXPECT_TRUE(page_->Smooth4->isChecked());
    EXPECT_FALSE(page_->Smooth3->isChecked());
    EXPECT_TRUE(page_->SurAlph->isChecked());
    EXPECT_EQ(page_->LabSur1->text(), "0x0012");
    EXPECT_EQ(page_->LabSur2->text(), "0x0034");
    EXPECT_EQ(page_->TextCoord->model()->data(page_->TextCoord->model()->index(0, 0)).toString(),
              "0.250000");
    EXPECT_EQ(page_->TextCoord->model()->headerData(1, Qt::Horizontal).toString(), "   T");
    EXPECT_EQ(page_->LayersVals->model()->headerData(3, Qt::Horizontal).toString(), "  +X");
    // Cell i shows "[blur] [corners] [second] [first]".
    const QAbstractItemModel* codes = page_->TextCodeTab->model();
    const size_t cell = bridge()->cellIndex(3, 1, 0);
    EXPECT_EQ(codes->data(codes->index(int(cell), 0)).toString(), QString::number(cell));
    EXPECT_EQ(codes->data(codes->index(int(cell), 1)).toString(),
              QString::fromStdString(cellCodeText(bridge()->Voxels[cell])));
    EXPECT_EQ(codes->headerData(1, Qt::Horizontal).toString(), "Texture Code");
    EXPECT_EQ(page_->TextCodeTab->currentIndex().row(), 0) << "the first cell is current";
    EXPECT_EQ(page_->TextCodePanel->EditText(), "32");
}

TEST_F(PropertiesPage, ASmoothingTextWithAPercentSignOfItsOwnStaysAsWritten) {
    // The language file's "%1" must not take the smoothing count.
    chooseLanguage("[sSmooth]=Glatt %1\n");
    select(bridge());
    const QString shown = page_->PanelPlus8->EditText();
    form_->SelectLanguage1->DefaultEnglish1Click();
    EXPECT_EQ(shown, "Glatt %1 1x");
}

TEST_F(PropertiesPage, TheCodeTableShowsTenRowsAndScrolls) {
    select(tower()); // 24 cells
    EXPECT_EQ(page_->TextCodeTab->height(), 211);
    EXPECT_EQ(page_->TextCodePanel->FullHeight(),
              page_->TextCodeTab->y() + page_->TextCodeTab->height() + 6 + 26);
    select(rocks()->Children[4]->Children[0].get()); // the 1 x 2 x 1 stone
    EXPECT_EQ(page_->TextCodeTab->height(), 2 * 18 + 31);

    // The largest poxel the format holds: 22,500 rows in a model, not in widgets.
    ASSERT_TRUE(applyPoxelSize(doc(), *tower(), 30, 25, 30, 2));
    select(tower());
    EXPECT_EQ(page_->textCodeModel()->rowCount(), 22500);
    EXPECT_EQ(page_->TextCodeTab->height(), 211);
    EXPECT_EQ(page_->modelOf(ValueTable::HeightMap)->rowCount(), 31);
    EXPECT_EQ(page_->modelOf(ValueTable::HeightMap)->columnCount(), 31);
    EXPECT_LT(page_->findChildren<QWidget*>().size(), 400);
}

TEST_F(PropertiesPage, TheImportedMapIsShownReadOnly) {
    ASSERT_TRUE(form_->importMapFile(writeMap("other.xom")));
    TPoxel* other = form_->ImportMapRoot()->Children[0]->Children[1].get();
    form_->selectById(other->ListId);
    ASSERT_EQ(page_->PanelPoxel(), other);
    EXPECT_FALSE(page_->EditX3->isEnabled());
    EXPECT_FALSE(page_->ApplySize->isEnabled());
    EXPECT_TRUE(page_->EditItem1->isReadOnly());
    const int count = steps();
    page_->ApplySizeClick();
    page_->Smooth1Click();
    page_->selectCell(ValueTable::HeightMap, 1, 1);
    EXPECT_FALSE(page_->EditValue1->isEnabled());
    QGuiApplication::clipboard()->setText("5\t5\t5\r\n");
    page_->PasteTable1Click();
    EXPECT_EQ(steps(), count);
    EXPECT_EQ(other->Heights[0][0], 0.0f);
}

// ---- Every field kind: edit, check, undo ----------------------------------------------------

TEST_F(PropertiesPage, TypedTransformsAndClipsAreAStepEachAndUndoShowsTheOldValue) {
    select(tower());
    editUndoRedo([&] { typeInto(page_->EditX3, "5.5"); },
                 [&] {
                     EXPECT_EQ(tower()->Pos.X, 5.5f);
                     EXPECT_EQ(page_->PanelPlus1->EditText(), "[5.5, 2.5, 2.0]");
                     EXPECT_EQ(page_->EditX3->text(), "5.500000");
                 });
    EXPECT_EQ(form_->Undo1->text(), "Undo Position X");
    form_->Undo1->trigger();
    EXPECT_EQ(page_->EditX3->text(), "3.000000") << "undo shows the old value";
    EXPECT_EQ(page_->PanelPlus1->EditText(), "[3.0, 2.5, 2.0]");

    // Rotate and Size, typed one after the other: two steps.
    editUndoRedo([&] { typeInto(page_->EditX5, "-45"); },
                 [&] { EXPECT_EQ(tower()->Rot.Y, -45.0f); });
    editUndoRedo([&] { typeInto(page_->EditX9, "2.25"); },
                 [&] { EXPECT_EQ(tower()->Size.Z, 2.25f); });
    // The clip of an entity, within 0..25.
    select(emitter());
    editUndoRedo([&] { typeInto(page_->EditX14, "7"); },
                 [&] {
                     EXPECT_EQ(emitter()->Clip.Y, 7.0f);
                     EXPECT_EQ(page_->PanelPlus9->EditText(), "[0.0, 7.0, 0.0]");
                 });
    typeInto(page_->EditX14, "26");
    EXPECT_EQ(emitter()->Clip.Y, 25.0f) << "beyond the range: the bound";
}

TEST_F(PropertiesPage, ADragOfTheSpinnerIsOneStep) {
    select(tower());
    TSpinFloatX* spin = page_->EditX8->spinner();
    // Screen positions well inside the desktop, so the pointer never wraps.
    const QPoint local(5, 5);
    const QPoint global(400, 300);
    editUndoRedo(
        [&] {
            mousePress(spin, local, global);
            for (int i = 1; i <= 12; ++i)
                mouseMove(spin, local, global - QPoint(0, i));
            mouseRelease(spin, local, global - QPoint(0, 12));
        },
        [&] { EXPECT_NEAR(tower()->Size.Y, 1.012f, 1e-5); });
    // The next drag is a step of its own.
    const int count = steps();
    mousePress(spin, local, global);
    mouseMove(spin, local, global - QPoint(0, 1));
    mouseRelease(spin, local, global - QPoint(0, 1));
    EXPECT_EQ(steps(), count + 1);
}

TEST_F(PropertiesPage, BadTextIsRefusedAndValuesOutsideTheRangeTakeTheBound) {
    select(tower());
    const auto before = mapBytes();
    const int count = steps();
    for (const char* bad : {"abc", "nan", "inf", "-inf", ""}) {
        typeInto(page_->EditX3, QString::fromLatin1(bad));
        EXPECT_EQ(page_->EditX3->text(), "3.000000") << bad;
    }
    typeInto(page_->EditX10, QStringLiteral("x"));
    EXPECT_EQ(page_->EditX10->FloatVal(), 2.0);
    EXPECT_EQ(steps(), count);
    EXPECT_EQ(mapBytes(), before);

    // A typed value beyond the range shows and writes the bound it passed.
    const struct {
        TEditX* field;
        const char* typed;
        double shown;
    } clamped[] = {{page_->EditX3, "3000", 2000}, {page_->EditX3, "-1e40", -2000},
                   {page_->EditX7, "-0.5", 0},    {page_->EditX7, "1001", 1000},
                   {page_->EditX10, "31", 30},    {page_->EditX16, "65", 64}};
    for (const auto& c : clamped) {
        typeInto(c.field, QString::fromLatin1(c.typed));
        EXPECT_EQ(c.field->FloatVal(), c.shown) << c.typed;
    }
    EXPECT_EQ(tower()->Pos.X, -2000.0f);
    EXPECT_EQ(tower()->Size.X, 1000.0f);
    while (steps() > count)
        form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(PropertiesPage, NamesAndLibraryNames) {
    select(tower());
    editUndoRedo([&] { typeInto(page_->EditItem1, "Keep"); },
                 [&] {
                     EXPECT_EQ(tower()->Name, "Keep");
                     EXPECT_EQ(static_cast<QTreeWidgetItem*>(tower()->Node)->text(0), "Keep");
                 });
    EXPECT_EQ(form_->Undo1->text(), "Undo Name");

    select(emitter());
    // Every key changes the name at once; the whole typing is one step.
    editUndoRedo(
        [&] {
            page_->EditEmName->setFocus();
            page_->EditEmName->selectAll();
            typeText(page_->EditEmName, "Fire");
        },
        [&] {
            EXPECT_EQ(emitter()->Name, "Fire");
            EXPECT_EQ(page_->EditItem1->text(), "Fire");
            EXPECT_EQ(static_cast<QTreeWidgetItem*>(emitter()->Node)->text(0), "Fire");
        });
    editUndoRedo(
        [&] {
            page_->EditLibName->setFocus();
            page_->EditLibName->end(false);
            typeText(page_->EditLibName, "x2");
        },
        [&] {
            EXPECT_EQ(emitter()->LibName, "Base_01x2");
            EXPECT_EQ(page_->PanelPlus10->EditText(), "Base_01x2");
        });
}

TEST_F(PropertiesPage, ApplyResizesAndFillsWithTheTexture) {
    select(tower());
    editUndoRedo(
        [&] {
            typeInto(page_->EditX10, "3");
            typeInto(page_->EditX11, "2");
            typeInto(page_->EditX12, "2.5"); // nearest: 2
            typeInto(page_->EditX16, "2");
            page_->ApplySize->click();
        },
        [&] {
            EXPECT_EQ(tower()->NX, 3);
            EXPECT_EQ(tower()->NY, 2);
            EXPECT_EQ(tower()->NZ, 2);
            EXPECT_EQ(tower()->Voxels, std::vector<uint32_t>(12, 7u));
            EXPECT_EQ(page_->PanelPlus6->EditText(), "3x2x2");
        });
    editUndoRedo(
        [&] {
            typeInto(page_->EditX16, "0");
            page_->ApplySize->click();
        },
        [&] { EXPECT_EQ(tower()->Voxels, std::vector<uint32_t>(12, 0u)); });
}

TEST_F(PropertiesPage, SurfaceSwitchesAndColour) {
    select(bridge());
    editUndoRedo(
        [&] {
            page_->Smooth2->setChecked(true);
            page_->Smooth3->setChecked(true);
            page_->SurAlph->setChecked(false);
            page_->Button3->click();
        },
        [&] {
            EXPECT_EQ(bridge()->Surface, 0x00120101u);
            EXPECT_EQ(bridge()->Surface2, 0x01010034u);
            EXPECT_EQ(bridge()->Color >> 24, 0u);
            EXPECT_EQ(page_->PanelPlus8->EditText(), "Smooth 2x");
        });
    QColor offered;
    page_->dialogs().chooseColor = [&](QWidget*, const QColor& initial) {
        offered = initial;
        return QColor(10, 20, 30);
    };
    editUndoRedo([&] { page_->Button2->click(); },
                 [&] {
                     EXPECT_EQ(bridge()->Color & 0xFFFFFFu, 0x1E140Au);
                     EXPECT_EQ(page_->Shape2->palette().color(QPalette::Window),
                               QColor(10, 20, 30));
                 });
    EXPECT_EQ(offered, QColor(255, 255, 255));
    // Cancelled: nothing.
    page_->dialogs().chooseColor = [](QWidget*, const QColor&) { return QColor(); };
    const int count = steps();
    page_->Button2->click();
    EXPECT_EQ(steps(), count);
}

// ---- Value tables -----------------------------------------------------------------------------

TEST_F(PropertiesPage, TheMenuCopiesAValueAndATableOfTheChosenCell) {
    showWindow(); // the click needs the grid laid out
    select(ground());
    // No cell chosen, or the level number column that refers to no value: no menu.
    page_->LayersValsContextPopup(ValueTable::HeightMap, QPoint(100, 100));
    EXPECT_FALSE(page_->CopyMenu->isVisible());
    EXPECT_FALSE(page_->abletoclopboard1->isEnabled());
    page_->selectCell(ValueTable::Layers, 0, 1);
    page_->LayersValsContextPopup(ValueTable::Layers, QPoint(100, 100));
    EXPECT_FALSE(page_->CopyMenu->isVisible());

    ground()->Heights[2][1] = 1234.5f;
    page_->FillPanels(ground(), true);
    // A click on the cell of column x = 2, row z = 1.
    QTableView* grid = page_->HeightMapGrid;
    const QModelIndex cell = grid->model()->index(1, 2);
    grid->scrollTo(cell);
    mouseClick(grid->viewport(), grid->visualRect(cell).center());
    EXPECT_EQ(page_->currentValueGrid(), ValueTable::HeightMap);
    EXPECT_EQ(page_->valForm()->Label1->text(), "[Ground].[HMap].[3,2]");

    QGuiApplication::clipboard()->setText("no table");
    page_->LayersValsContextPopup(ValueTable::HeightMap, QPoint(200, 200));
    ASSERT_TRUE(page_->CopyMenu->isVisible());
    EXPECT_EQ(page_->Value1->text(), "[Value = 1,234.500000]");
    EXPECT_TRUE(page_->abletoclopboard1->isEnabled());
    EXPECT_TRUE(page_->EditValue1->isEnabled());
    EXPECT_FALSE(page_->PasteTable1->isEnabled()) << "the clipboard holds no table";
    page_->CopyMenu->hide();

    page_->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1234.500000");
    page_->abletoclopboard1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tableText(*ground(), ValueTable::HeightMap));
    page_->LayersValsContextPopup(ValueTable::HeightMap, QPoint(200, 200));
    EXPECT_TRUE(page_->PasteTable1->isEnabled());
    page_->CopyMenu->hide();

    // Another grid than the current one shows nothing.
    page_->LayersValsContextPopup(ValueTable::Layers, QPoint(200, 200));
    EXPECT_FALSE(page_->CopyMenu->isVisible());

    EXPECT_TRUE(saveScreenshot(form_.get(), QStringLiteral("properties-window")));

    // A right click never moves the current cell.
    const QModelIndex other = grid->model()->index(0, 0);
    mousePress(grid->viewport(), grid->visualRect(other).center(),
               grid->viewport()->mapToGlobal(grid->visualRect(other).center()), Qt::RightButton);
    EXPECT_EQ(grid->currentIndex(), cell);
}

TEST_F(PropertiesPage, PasteTableIsOneStepAndFillsTheGrid) {
    select(tower());
    page_->selectCell(ValueTable::Layers, 1, 1);
    QGuiApplication::clipboard()->setText("1\t2\t3\t4\r\n5\t6\t7\t8\r\n");
    editUndoRedo([&] { page_->PasteTable1->trigger(); },
                 [&] {
                     EXPECT_EQ(tower()->LayerLow[0].X, 1.0f);
                     EXPECT_EQ(tower()->LayerHigh[1].Z, 8.0f);
                     auto* m = page_->modelOf(ValueTable::Layers);
                     EXPECT_EQ(m->data(m->index(1, 4), Qt::DisplayRole).toString(), "8.000000");
                 });
    // Copy Table then Paste Table with nothing selected changes nothing.
    form_->selectById(0);
    EXPECT_EQ(page_->PanelPoxel(), nullptr);
    page_->abletoclopboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
    const int count = steps();
    page_->PasteTable1Click();
    EXPECT_EQ(steps(), count);
}

TEST_F(PropertiesPage, TheValueDialogEditsTheCellChosenLast) {
    select(ground());
    page_->selectCell(ValueTable::TextCoord, 2, 3); // TextCoord[10]
    page_->EditValue1Click();
    TValForm* dialog = page_->valForm();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Value Edit");
    EXPECT_EQ(dialog->Label1->text(), "[Ground].[TextCoord].[2].[2]");
    EXPECT_EQ(dialog->ValueEd->text(), "0.250000");
    editUndoRedo([&] { typeInto(dialog->ValueEd, "0.5"); },
                 [&] {
                     EXPECT_EQ(ground()->TextCoord[10], 0.5f);
                     auto* m = page_->modelOf(ValueTable::TextCoord);
                     EXPECT_EQ(m->data(m->index(2, 2), Qt::DisplayRole).toString(), "0.500000");
                 });
    EXPECT_EQ(dialog->ValueEd->text(), "0.500000") << "redo shows in the dialog";
    // Out of the dialog's range: the bound.
    typeInto(dialog->ValueEd, "150");
    EXPECT_EQ(ground()->TextCoord[10], 100.0f);

    // A height edited by the spinner, then a selection elsewhere closes the dialog.
    page_->selectCell(ValueTable::HeightMap, 1, 1);
    editUndoRedo([&] { dialog->ValueEd->spinner()->setValue(2.0); },
                 [&] { EXPECT_EQ(ground()->Heights[0][0], 2.0f); });
    select(tower());
    EXPECT_FALSE(dialog->isVisible());
}

// ---- VOX
// -----------------------------------------------------------------------------------------

TEST_F(PropertiesPage, VoxExportAndImport) {
    select(tower());
    QString offered;
    const QString file = qpath(dir_ / "tower.vox");
    page_->dialogs().saveFile = [&](QWidget*, const QString& suggested, const QString& filter) {
        offered = suggested;
        EXPECT_EQ(filter, "Voxel Model (*.vox)");
        return file;
    };
    page_->ExportVox->click();
    EXPECT_EQ(offered, "Tower_2x6x2.vox");
    EXPECT_EQ(lwtest::readBytes(file.toStdString()), encodeVox(*tower()));

    // Painted elsewhere and brought back: one step.
    PoxelContent painted = tower()->content();
    for (size_t i = 0; i < painted.Voxels.size(); ++i)
        painted.Voxels[i] = boxCode(int(i % 4));
    ASSERT_TRUE(writeVoxFile(painted, file.toStdString()).ok());
    page_->dialogs().openFile = [&](QWidget*, const QString& suggested, const QString&) {
        offered = suggested;
        return file;
    };
    editUndoRedo([&] { page_->ImportVox->click(); },
                 [&] {
                     EXPECT_EQ(tower()->Voxels, painted.Voxels);
                     auto* codes = page_->textCodeModel();
                     EXPECT_EQ(codes->data(codes->index(1, 1), Qt::DisplayRole).toString(),
                               "[00] [00] [00] [01]");
                 });
    EXPECT_EQ(form_->Undo1->text(), "Undo Import VOX");
    EXPECT_TRUE(errors_.isEmpty());

    // A file of another size: refused with the file and the reason, nothing changes.
    ResizePoxel(painted, 2, 6, 3);
    const QString wrong = qpath(dir_ / "wrong.vox");
    ASSERT_TRUE(writeVoxFile(painted, wrong.toStdString()).ok());
    page_->dialogs().openFile = [&](QWidget*, const QString&, const QString&) { return wrong; };
    const auto before = mapBytes();
    const int count = steps();
    page_->ImportVox->click();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error|Bad Size (X:2=2, Y:6=6, Z:3=2)"))
        << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains(wrong));
    EXPECT_EQ(mapBytes(), before);
    EXPECT_EQ(steps(), count);
    // Cancelled: nothing either.
    page_->dialogs().openFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    page_->ImportVox->click();
    EXPECT_EQ(steps(), count);
}

// ---- Following the document ---------------------------------------------------------------------

TEST_F(PropertiesPage, EditsFromElsewhereAndUndoShowAtOnce) {
    select(tower());
    setVectorComponent(doc(), *tower(), VectorField::Pos, 1, 9.0f);
    EXPECT_EQ(page_->EditX2->text(), "9.000000");
    EXPECT_EQ(page_->PanelPlus1->EditText(), "[3.0, 9.0, 2.0]");
    // The counts show in the headers and grids.
    ASSERT_TRUE(applyPoxelSize(doc(), *tower(), 3, 2, 3, 1));
    EXPECT_EQ(page_->PanelPlus6->EditText(), "3x2x3");
    EXPECT_EQ(page_->PanelPlus7->EditText(), "4x4");
    EXPECT_EQ(page_->PanelPlus5->EditText(), "3");
    EXPECT_EQ(page_->textCodeModel()->rowCount(), 18);
    // A 5 x 5 height grid: one title row and column around 4 x 4 heights.
    auto* heights = page_->modelOf(ValueTable::HeightMap);
    EXPECT_EQ(heights->rowCount(), 4);
    EXPECT_EQ(heights->columnCount(), 4);
    EXPECT_FALSE(page_->HeightMapGrid->horizontalHeader()->isHidden());
    EXPECT_FALSE(page_->HeightMapGrid->verticalHeader()->isHidden());
    EXPECT_EQ(heights->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "4");
    EXPECT_EQ(page_->HeightMapGrid->cornerText(), "x\\z");
    auto* layers = page_->modelOf(ValueTable::Layers);
    EXPECT_EQ(layers->rowCount(), 3);
    EXPECT_EQ(layers->data(layers->index(2, 0), Qt::DisplayRole).toString(), "3");
    EXPECT_EQ(page_->EditX10->FloatVal(), 3.0);
    EXPECT_EQ(page_->EditX11->FloatVal(), 2.0);
    doc().undoStack()->undo();
    EXPECT_EQ(page_->textCodeModel()->rowCount(), 24);
    EXPECT_EQ(page_->TextCodeTab->height(), 211);
    doc().undoStack()->undo();
    EXPECT_EQ(page_->EditX2->text(), "2.500000");
}

TEST_F(PropertiesPage, ANodeThatLeavesTheMapTakesItsBindingsAlong) {
    select(tower());
    page_->selectCell(ValueTable::HeightMap, 1, 1);
    page_->EditValue1Click();
    ASSERT_TRUE(page_->valForm()->isVisible());
    // Its parent goes: the window selects another node, the page follows, the dialog closes.
    ASSERT_TRUE(doc().deleteNode(*island()));
    EXPECT_NE(page_->PanelPoxel(), tower());
    EXPECT_FALSE(page_->valForm()->isVisible());
    if (TPoxel* now = page_->PanelPoxel()) {
        EXPECT_TRUE(doc().contains(*now));
    }
    doc().undoStack()->undo();
    select(tower());

    // A removal the window does not follow with a new selection still unbinds the page.
    TPoxel* stone = rocks()->Children[4]->Children[0].get();
    select(stone);
    ASSERT_TRUE(doc().removeNode(*stone, QStringLiteral("test")));
    EXPECT_NE(page_->PanelPoxel(), stone);

    // A new map: nothing of the old one stays bound.
    select(tower());
    saveAnswer_ = QMessageBox::Discard;
    const TPoxel* old = tower();
    form_->newMap();
    EXPECT_NE(page_->PanelPoxel(), old);
    EXPECT_EQ(page_->PanelPoxel(), form_->EditRoot());
    typeInto(page_->EditX3, "4");
    EXPECT_EQ(form_->EditRoot()->Pos.X, 0.0f) << "the root stays read-only";
}
