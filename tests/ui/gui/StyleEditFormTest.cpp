#include "ui/gui/StyleEditForm.h"

#include "ui/Language.h"
#include "ui/Settings.h"

#include "../SettingsSandbox.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QToolButton>

using lw::StyleColors;
using lw::StyleKind;
using lw::TStyleEditForm;

namespace {

class StyleEditFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        lw::setStyleColors(lw::kInitialStyleColors);
        form.setColorPicker([this](QWidget*, const QColor& initial) -> std::optional<QColor> {
            offered.push_back(initial);
            if (picks.empty())
                return std::nullopt;
            const QColor c = picks.front();
            picks.erase(picks.begin());
            return c;
        });
    }
    void TearDown() override { lw::setStyleColors(lw::kInitialStyleColors); }

    template <typename T> T* find(const char* name) { return form.findChild<T*>(name); }
    QColor shape(const char* name) { return find<QFrame>(name)->palette().color(QPalette::Window); }
    bool selectEnabled() {
        return find<QPushButton>("Button1")->isEnabled() &&
               find<QPushButton>("Button2")->isEnabled();
    }

    lwtest::SettingsSandbox sandbox;
    lw::LangRegistry registry;
    TStyleEditForm form{nullptr, registry};
    std::vector<QColor> picks;
    std::vector<QColor> offered;
};

TEST_F(StyleEditFormTest, ShowsTheStoredStyle) {
    form.show();
    EXPECT_TRUE(find<QToolButton>("SpeedButton1")->isChecked());
    EXPECT_FALSE(selectEnabled());
    EXPECT_EQ(shape("Shape2"), QColor(Qt::white));
    EXPECT_EQ(shape("Shape1"), QColor(0x9D, 0xAB, 0xBB));
    lwtest::saveScreenshot(&form, "StyleEditForm_default");
    form.hide();

    lw::Settings().setInteger("Style", 2);
    form.show();
    EXPECT_EQ(form.chosenStyle(), StyleKind::System);
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(shape("Shape2"), pal.color(QPalette::Active, QPalette::Base).toRgb());
    EXPECT_EQ(shape("Shape1"), pal.color(QPalette::Active, QPalette::Button).toRgb());
    form.hide();

    lw::Settings().setInteger("Style", 9); // unknown: no toggle pressed
    form.show();
    EXPECT_EQ(form.chosenStyle(), std::nullopt);
    for (const char* b : {"SpeedButton1", "SpeedButton2", "SpeedButton3"})
        EXPECT_FALSE(find<QToolButton>(b)->isChecked()) << b;
    find<QPushButton>("Button3")->click(); // nothing to write
    EXPECT_EQ(lw::Settings().integer("Style"), 9);
    EXPECT_EQ(lw::styleColors(), lw::kInitialStyleColors);
}

TEST_F(StyleEditFormTest, UserStylePickAndApply) {
    form.show();
    lwtest::mouseClick(find<QToolButton>("SpeedButton3"), {5, 5});
    EXPECT_EQ(form.chosenStyle(), StyleKind::User);
    EXPECT_TRUE(selectEnabled());
    EXPECT_EQ(shape("Shape2"), QColor(Qt::black)); // never picked

    picks = {QColor(0x10, 0x20, 0x30), QColor(0x40, 0x50, 0x60)};
    find<QPushButton>("Button2")->click();
    find<QPushButton>("Button1")->click();
    EXPECT_EQ(offered, std::vector<QColor>({QColor(Qt::black), QColor(Qt::black)}));
    EXPECT_EQ(shape("Shape2"), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(shape("Shape1"), QColor(0x40, 0x50, 0x60));
    find<QPushButton>("Button2")->click(); // cancelled: unchanged
    EXPECT_EQ(offered.back(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(shape("Shape2"), QColor(0x10, 0x20, 0x30));
    lwtest::saveScreenshot(&form, "StyleEditForm_user");

    find<QPushButton>("Button3")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    lw::Settings s;
    EXPECT_EQ(s.integer("Style"), 3);
    EXPECT_EQ(s.integer("UserActiveColor"), 0x302010);
    EXPECT_EQ(s.integer("UserUnActiveColor"), 0x605040);
    EXPECT_EQ(lw::styleColors(), (StyleColors{0x302010, 0x605040}));
}

TEST_F(StyleEditFormTest, CloseForgetsUnappliedPicks) {
    form.show();
    find<QToolButton>("SpeedButton3")->click();
    picks = {QColor(1, 2, 3)};
    find<QPushButton>("Button2")->click();
    find<QPushButton>("Button4")->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(lw::Settings().contains("Style"));
    EXPECT_EQ(lw::styleColors(), lw::kInitialStyleColors);

    form.show();
    EXPECT_EQ(form.chosenStyle(), StyleKind::Default);
    EXPECT_EQ(form.userColors().active, 0u);
}

// Apply stores the chosen style's number; only the user style stores colours, black where none
// was picked.
TEST_F(StyleEditFormTest, ApplyStoresTheChosenStyle) {
    for (const auto& [button, number] : {std::pair{"SpeedButton2", 2}, std::pair{"SpeedButton1", 1},
                                         std::pair{"SpeedButton3", 3}}) {
        SCOPED_TRACE(button);
        form.show();
        find<QToolButton>(button)->click();
        EXPECT_EQ(selectEnabled(), number == 3);
        find<QPushButton>("Button3")->click();
        EXPECT_EQ(lw::Settings().integer("Style"), number);
        EXPECT_EQ(lw::Settings().contains("UserActiveColor"), number == 3);
        if (number == 1) {
            EXPECT_EQ(lw::styleColors(), lw::kDefaultStyleColors);
        }
    }
    EXPECT_EQ(lw::styleColors(), (StyleColors{0, 0}));
    EXPECT_EQ(lw::Settings().integer("UserActiveColor"), 0);
}

TEST_F(StyleEditFormTest, TextsComeFromTheLanguage) {
    lw::Language language;
    registry.apply(language);
    EXPECT_EQ(form.windowTitle(), "Style Edit");
    EXPECT_EQ(find<QToolButton>("SpeedButton3")->text(), "User Style");
    EXPECT_EQ(find<QPushButton>("Button3")->text(), "Apply");
    EXPECT_EQ(find<QPushButton>("Button4")->text(), "Close");
    EXPECT_EQ(registry.keysOf(find<QPushButton>("Button1")), std::vector<QString>({"[sSelect]"}));
}

} // namespace
