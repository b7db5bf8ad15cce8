// The tool-bar pictures: every button shows its own drawing, sharp at the bar's size and at
// twice it, greyed when the tool is not available; hints stay as they were (the accessible
// names taken from them are checked with the main window's).

#include "editor/gui/ToolIcons.h"
#include "editor/gui/MainForm.h"

#include "../../ui/gui/GuiTestSupport.h"

#include <QSettings>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <set>

using namespace lw;

namespace {

// The share of pixels that are not transparent.
double coverage(const QImage& image) {
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 0;
    return double(drawn) / (image.width() * image.height());
}

TEST(ToolIcons, EveryToolButtonShowsItsOwnPicture) {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Corvell", "Landwright").clear();
    TMainForm form;
    form.LoadSettings();
    auto* bar = form.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    ASSERT_TRUE(bar);
    const QStringList names = {"ToolButton1",  "ToolButton2",  "ToolButton3",  "ToolButton4",
                               "ToolButton5",  "ToolButton6",  "ToolButton11", "ToolButton8",
                               "ToolButton9",  "ToolButton10", "ToolButton13", "ToolButton14",
                               "ToolButton15", "ToolButton16", "ToolButton17", "ToolButton18"};
    // The hint names the key of a tool the view's keys choose.
    const QStringList hints = {"Zoom",           "Pan",
                               "Rotate",         "Perspective",
                               "Dolly",          "Zoom Selected (C)",
                               "Select (Q)",     "Move (W)",
                               "Rotate (E)",     "Scale (R)",
                               "Restrict to X",  "Restrict to Y",
                               "Restrict to Z",  "Restrict to XY",
                               "Restrict to YZ", "Restrict to ZX"};
    std::set<QByteArray> pictures;
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto* button = form.findChild<QToolButton*>(names[i]);
        ASSERT_TRUE(button) << names[i].toStdString();
        EXPECT_EQ(button->toolTip(), hints[i]);
        EXPECT_TRUE(button->text().isEmpty()) << names[i].toStdString();
        const QImage picture = button->icon().pixmap(QSize(20, 20)).toImage();
        ASSERT_FALSE(picture.isNull()) << names[i].toStdString();
        // A drawing, not a filled badge: some of the square is left clear.
        const double covered = coverage(picture);
        EXPECT_GT(covered, 0.08) << names[i].toStdString();
        EXPECT_LT(covered, 0.8) << names[i].toStdString();
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    // Sixteen different pictures.
    EXPECT_EQ(pictures.size(), 16u);

    // Drawn for the bar's size and for twice it; an unknown drawing gives no icon.
    const QIcon move = form.ToolButton8->icon();
    const auto sizes = move.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(20, 20)) && sizes.contains(QSize(40, 40)));
    EXPECT_TRUE(toolBarIcon(QStringLiteral("no-such-drawing"), QSize(20, 20)).isNull());

    // The object tools start unavailable, and look it.
    EXPECT_NE(move.pixmap(QSize(20, 20), QIcon::Disabled).toImage(),
              move.pixmap(QSize(20, 20), QIcon::Normal).toImage());

    form.resize(400, 600);
    lwtest::saveScreenshot(bar, QStringLiteral("toolbar"));
}

} // namespace
