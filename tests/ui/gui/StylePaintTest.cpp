#include "ui/gui/StylePaint.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QGroupBox>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

#include <cstdlib>

namespace {

const QColor kActive(Qt::white);
const QColor kUnactive(0x9D, 0xAB, 0xBB);

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

class StylePaintTest : public ::testing::Test {
protected:
    void SetUp() override { lw::setStyleColors(lw::kDefaultStyleColors); }
    void TearDown() override { lw::setStyleColors(lw::kInitialStyleColors); }
};

TEST_F(StylePaintTest, PanelAndGroupBoxFadeAcrossTheirWidth) {
    QFrame panel;
    panel.setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel.setLineWidth(2);
    panel.resize(101, 40);
    lw::applyStyleSurface(&panel, lw::StyleSurface::Panel);
    const QImage p = panel.grab().toImage();
    EXPECT_EQ(p.pixelColor(50, 20), kActive);
    EXPECT_EQ(p.pixelColor(2, 20), kUnactive); // first pixel inside the frame
    EXPECT_NE(p.pixelColor(0, 20), kUnactive); // the frame is drawn over it

    QGroupBox group("Options");
    group.resize(201, 60);
    lw::applyStyleSurface(&group, lw::StyleSurface::GroupBox);
    // The platform's frame may tint the box a little; the fade must still show through.
    const QImage g = group.grab().toImage();
    EXPECT_TRUE(near(g.pixelColor(100, 45), kActive));
    EXPECT_TRUE(near(g.pixelColor(0, 5), kUnactive));
    lwtest::saveScreenshot(&panel, "StylePanel");
    lwtest::saveScreenshot(&group, "StyleGroupBox");
}

// The column widths themselves are the headless rule's; here the grid follows it as it resizes.
TEST_F(StylePaintTest, GridPaintsBehindItsCells) {
    QTableWidget grid(2, 4);
    grid.resize(400, 200);
    lw::applyStyleSurface(&grid, lw::StyleSurface::Grid);
    lw::applyGridColumnRule(&grid);
    grid.show();
    lwtest::settleLayouts();
    EXPECT_EQ(grid.columnWidth(0), 100);
    EXPECT_EQ(grid.columnWidth(3), 93);
    grid.resize(403, 200);
    EXPECT_EQ(grid.columnWidth(3), 96);

    grid.setItem(0, 0, new QTableWidgetItem("12.5"));
    const QImage v = grid.viewport()->grab().toImage();
    const int w = grid.viewport()->width();
    // Below the rows, where no cell paints, the gradient shows.
    EXPECT_EQ(v.pixelColor(0, v.height() - 2), kUnactive);
    EXPECT_EQ(v.pixelColor((w - 1) / 2, v.height() - 2).lightness(), 255);
    lwtest::saveScreenshot(&grid, "StyleGrid");
}

TEST_F(StylePaintTest, ToolBarFadesDownAndDownButtonsAreMarked) {
    QToolBar bar;
    bar.resize(200, 31);
    lw::applyStyleSurface(&bar, lw::StyleSurface::ToolBar);
    const QImage b = bar.grab().toImage();
    EXPECT_EQ(b.pixelColor(150, 0), kUnactive);
    EXPECT_EQ(b.pixelColor(150, 15), kActive);
    EXPECT_EQ(b.pixelColor(150, 30), kUnactive);

    QToolButton button;
    button.setCheckable(true);
    button.setText("Sel");
    button.resize(30, 24);
    lw::applyStyleSurface(&button, lw::StyleSurface::ToolButton);
    const QColor yellow(0xFF, 0xFF, 0);
    EXPECT_NE(button.grab().toImage().pixelColor(1, 1), yellow);
    lwtest::saveScreenshot(&button, "StyleToolButton_default");
    button.setChecked(true);
    const QImage down = button.grab().toImage();
    // Outline from (1, 1) to (right - 2, bottom - 1), both exclusive.
    EXPECT_EQ(down.pixelColor(1, 1), yellow);
    EXPECT_EQ(down.pixelColor(27, 22), yellow);
    EXPECT_NE(down.pixelColor(28, 22), yellow);
    EXPECT_NE(down.pixelColor(27, 23), yellow);
    lwtest::saveScreenshot(&button, "StyleToolButton_down");
}

} // namespace
