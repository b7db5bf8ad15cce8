#include "ui/gui/CheckBoxX.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

using lw::TCheckBoxX;

namespace {

TEST(CheckBoxX, CaptionLabelSitsBesideTheBoxAndAClickToggles) {
    QWidget host;
    host.resize(200, 60);
    auto* box = new TCheckBoxX(&host);
    box->move(20, 20);
    box->setCaption("Top Smooth");
    host.show();
    lwtest::saveScreenshot(&host, "CheckBoxX_default");
    lwtest::mouseClick(box, {6, 6});
    EXPECT_TRUE(box->isChecked());
    lwtest::saveScreenshot(&host, "CheckBoxX_checked");

    EXPECT_EQ(box->size(), QSize(13, 13));
    EXPECT_TRUE(box->text().isEmpty());
    QLabel* label = box->label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Top Smooth");
    EXPECT_EQ(label->parentWidget(), &host);
    EXPECT_TRUE(label->isVisible());
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_EQ(label->x(), 20 + 13 + 3);
    EXPECT_EQ(label->y(), 20 + (13 - label->height()) / 2); // centred on the box

    box->move(50, 30);
    EXPECT_EQ(label->x(), 50 + 13 + 3);
    box->hide();
    EXPECT_FALSE(label->isVisible());

    // A new parent takes the label along.
    QWidget other;
    box->setParent(&other);
    EXPECT_EQ(label->parentWidget(), &other);

    box->setLabelPosition(lw::LabelPosition::Below);
    EXPECT_EQ(label->pos(), QPoint(50, 30 + 13 + 3));
}

} // namespace
