#include "ui/gui/PanelPlus.h"

#include "ui/Style.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using lw::TPanelPlus;

namespace {

class PanelPlusTest : public ::testing::Test {
protected:
    void SetUp() override {
        lw::setStyleColors(lw::kDefaultStyleColors);
        host.resize(260, 260);
        panel = new TPanelPlus(&host);
        panel->setObjectName("PanelPlus1");
        panel->setCaption("Position");
        panel->setGeometry(0, 0, 220, 100);
        panel->setFullHeight(120);
        host.show();
    }
    void TearDown() override { lw::setStyleColors(lw::kInitialStyleColors); }

    QWidget host;
    TPanelPlus* panel = nullptr;
};

TEST_F(PanelPlusTest, CollapseSwitchesBetweenHeaderAndFullHeight) {
    EXPECT_EQ(panel->height(), 120);
    panel->setCollapse(true);
    EXPECT_EQ(panel->height(), 25);
    panel->setFullHeight(200); // remembered, but the panel stays collapsed
    EXPECT_EQ(panel->height(), 25);
    panel->setCollapse(false);
    EXPECT_EQ(panel->height(), 200);
    panel->setFullHeight(10); // never lower than the header
    EXPECT_EQ(panel->height(), 25);
    EXPECT_EQ(panel->minimumWidth(), 170);
}

TEST_F(PanelPlusTest, CollapseButtonHitAreaIsExclusive) {
    const int w = 220;
    EXPECT_TRUE(TPanelPlus::inCollapseButton({w - 25, 4}, w));
    EXPECT_TRUE(TPanelPlus::inCollapseButton({w - 8, 21}, w));
    EXPECT_FALSE(TPanelPlus::inCollapseButton({w - 26, 12}, w));
    EXPECT_FALSE(TPanelPlus::inCollapseButton({w - 7, 12}, w));
    EXPECT_FALSE(TPanelPlus::inCollapseButton({w - 17, 3}, w));
    EXPECT_FALSE(TPanelPlus::inCollapseButton({w - 17, 22}, w));
}

TEST_F(PanelPlusTest, TheButtonTogglesUnderAHandCursorAndAClickElsewhereMovesFocus) {
    auto* field = new QLineEdit(&host);
    field->setGeometry(0, 200, 100, 20);
    field->show();
    field->setFocus();
    ASSERT_EQ(host.focusWidget(), field);

    panel->setCollapse(true);
    lwtest::mouseClick(panel, {panel->width() - 17, 12});
    EXPECT_FALSE(panel->Collapse());
    EXPECT_EQ(panel->height(), 120);

    lwtest::mouseClick(panel, {60, 12}); // on the caption
    EXPECT_FALSE(panel->Collapse());
    EXPECT_EQ(panel->height(), 120);
    EXPECT_EQ(host.focusWidget(), &host);

    lwtest::mouseClick(panel, {panel->width() - 17, 12});
    EXPECT_TRUE(panel->Collapse());

    // The hand cursor shows over the button only.
    lwtest::mouseMove(panel, {panel->width() - 17, 12}, {}, Qt::NoButton);
    EXPECT_EQ(panel->cursor().shape(), Qt::PointingHandCursor);
    lwtest::mouseMove(panel, {panel->width() - 30, 12}, {}, Qt::NoButton);
    EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PanelPlusTest, HeaderEditFollowsCaptionAndWidth) {
    EXPECT_EQ(panel->headerEdit(), nullptr);
    panel->setEditText("Poxel 12");
    panel->setMakeEdit(true);
    QLineEdit* edit = panel->headerEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_FALSE(edit->hasFrame());
    EXPECT_EQ(edit->text(), "Poxel 12");
    EXPECT_EQ(edit->palette().color(QPalette::Base), lw::toQColor(lw::unactiveColor()));

    const auto expected = [&] {
        const int cw = panel->fontMetrics().horizontalAdvance(panel->caption());
        return QRect(cw - cw % 20 + 29, 3, panel->width() + cw % 20 - cw - 57, 19);
    };
    EXPECT_EQ(edit->geometry(), expected());
    EXPECT_EQ(TPanelPlus::headerEditGeometry(45, 220), QRect(69, 3, 123, 19));
    panel->setCaption("A much longer caption");
    EXPECT_EQ(edit->geometry(), expected());
    panel->resize(300, panel->height()); // anchored right: it grows with the panel
    EXPECT_EQ(edit->geometry(), expected());

    panel->setEditColor(Qt::yellow);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::yellow));
    panel->setMakeEdit(false);
    EXPECT_TRUE(edit->isHidden());
    panel->setMakeEdit(true);
    EXPECT_EQ(panel->headerEdit(), edit); // created once
    EXPECT_FALSE(edit->isHidden());
}

TEST_F(PanelPlusTest, PaintsHeaderBodyAndButtonThenNotifies) {
    int painted = 0;
    QObject::connect(panel, &TPanelPlus::OnPaint, [&] { ++painted; });
    const QImage open = panel->grab().toImage();
    EXPECT_GE(painted, 1);
    const int w = panel->width();
    // Header: white (active) at the top fading to the unactive colour at the bottom.
    EXPECT_EQ(open.pixelColor(w / 2, 1), QColor(Qt::white));
    EXPECT_EQ(open.pixelColor(w / 2, 23), QColor(0x9D, 0xAB, 0xBB));
    // Body: unactive at the edges, active in the middle.
    const QImage body = lw::styleGradient(lw::GradientDirection::Horizontal, w - 20, true);
    EXPECT_EQ(open.pixelColor(11, 60), body.pixelColor(1, 0));
    EXPECT_EQ(open.pixelColor(w / 2, 60), QColor(Qt::white));
    EXPECT_EQ(open.pixelColor(10, 60), panel->palette().color(QPalette::WindowText)); // outline
    const QColor ink = panel->palette().color(QPalette::WindowText);
    EXPECT_EQ(open.pixelColor(w - 20, 12), ink); // minus
    EXPECT_NE(open.pixelColor(w - 17, 8), ink);  // no plus while open
    lwtest::saveScreenshot(panel, "PanelPlus_default");

    panel->setCollapse(true);
    const QImage closed = panel->grab().toImage();
    EXPECT_EQ(closed.height(), 25);
    EXPECT_EQ(closed.pixelColor(w - 17, 8), ink);
    lwtest::saveScreenshot(panel, "PanelPlus_collapsed");

    panel->setMakeEdit(true);
    panel->setEditText("Poxel 12");
    panel->setCollapse(false);
    lwtest::saveScreenshot(panel, "PanelPlus_header_edit");
}

TEST(PanelPlusScroll, CollapsingInsideAScrollAreaKeepsTheView) {
    QScrollArea area;
    area.resize(260, 200);
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    std::vector<TPanelPlus*> panels;
    for (int i = 0; i < 4; ++i) {
        auto* p = new TPanelPlus(content);
        p->setFullHeight(150);
        layout->addWidget(p);
        panels.push_back(p);
    }
    area.setWidget(content);
    area.setWidgetResizable(true);
    area.show();
    lwtest::settleLayouts();
    QScrollBar* bar = area.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(250);

    panels[3]->setCollapse(true);
    lwtest::settleLayouts();
    EXPECT_EQ(panels[3]->height(), 25);
    EXPECT_EQ(bar->value(), 250);
    EXPECT_EQ(bar->maximum(), 3 * 150 + 25 - area.viewport()->height());

    panels[2]->setCollapse(true); // the range shrinks below the old position
    lwtest::settleLayouts();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->maximum(), 2 * 150 + 2 * 25 - area.viewport()->height());
}

} // namespace
