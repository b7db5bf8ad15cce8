#include "ui/gui/EditX.h"
#include "ui/gui/SpinFloatX.h"

#include "ui/Style.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <cmath>
#include <vector>

using lw::TEditX;
using lw::TSpinFloatX;

namespace {

class EditXTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        lw::setStyleColors(lw::kDefaultStyleColors);
        host.resize(320, 60);
        edit = new TEditX(&host);
        edit->setGeometry(100, 20, 120, 21);
        edit->setLabelText("Pos X");
        QObject::connect(edit, &TEditX::FloatFunc, [this](double v) { fired.push_back(v); });
        host.show();
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        lw::setStyleColors(lw::kInitialStyleColors);
    }

    // Replaces the text as a user would: select all, type, then Enter.
    void typeAndEnter(const QString& text) {
        edit->selectAll();
        lwtest::typeText(edit, text);
        lwtest::keyClick(edit, Qt::Key_Return);
    }

    QWidget host;
    TEditX* edit = nullptr;
    std::vector<double> fired;
};

TEST_F(EditXTest, EnterClampsToTheRange) {
    // Equal bounds mean no range.
    typeAndEnter("123456.5");
    EXPECT_EQ(edit->FloatVal(), 123456.5);
    typeAndEnter("-0.25");
    EXPECT_EQ(edit->text(), "-0.250000");
    EXPECT_EQ(fired, std::vector<double>({123456.5, -0.25}));
    fired.clear();

    float bound = 0.f;
    edit->setRange(-2000, 2000);
    edit->setBoundVariable(&bound);
    typeAndEnter("2500");
    EXPECT_EQ(edit->text(), "2000.000000");
    EXPECT_EQ(fired, std::vector<double>({2000.0}));
    EXPECT_EQ(bound, 2000.f);
    EXPECT_EQ(edit->FloatVal(), 2000.0);
    EXPECT_EQ(edit->spinner()->value(), 2000.0);
    EXPECT_EQ(edit->selectedText(), edit->text()); // Enter selects the whole text

    typeAndEnter("-1e9");
    EXPECT_EQ(edit->text(), "-2000.000000");
    EXPECT_EQ(bound, -2000.f);
}

TEST_F(EditXTest, BadTextIsReplacedByTheLastGoodOne) {
    float bound = 7.f;
    edit->setFloatVal(1.5);
    edit->setBoundVariable(&bound);
    fired.clear();

    edit->selectAll();
    lwtest::typeText(edit, "abc");
    EXPECT_EQ(edit->text(), "abc");
    lwtest::focusOut(edit);
    EXPECT_EQ(edit->text(), "1.500000");
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(bound, 7.f);

    // Too large for the bound 32-bit float: refused the same way.
    typeAndEnter("1e39");
    EXPECT_EQ(edit->text(), "1.500000");
    EXPECT_TRUE(fired.empty());
    edit->setBoundVariable(nullptr);
    typeAndEnter("1e39");
    EXPECT_EQ(edit->FloatVal(), 1e39);

    // Values that are no finite number are ignored when set.
    edit->setFloatVal(4.0);
    edit->setFloatVal(std::nan(""));
    edit->setFloatVal(INFINITY);
    EXPECT_EQ(edit->FloatVal(), 4.0);
    EXPECT_EQ(edit->text(), "4.000000");
}

TEST_F(EditXTest, LeavingUntouchedTextKeepsTheExactValue) {
    edit->setFloatVal(0.1234567);
    fired.clear();
    EXPECT_EQ(edit->text(), "0.123457");
    lwtest::focusOut(edit);
    lwtest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(edit->FloatVal(), 0.1234567);
    EXPECT_TRUE(fired.empty());
}

TEST_F(EditXTest, LocaleDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    typeAndEnter("2,5");
    EXPECT_EQ(edit->FloatVal(), 2.5);
    EXPECT_EQ(edit->text(), "2,500000");
    typeAndEnter("3.5"); // the point is not this locale's separator
    EXPECT_EQ(edit->text(), "2,500000");
}

TEST_F(EditXTest, PrecisionIsClampedAndOnlyReformats) {
    float bound = 0.f;
    edit->setFloatVal(2.0);
    edit->setBoundVariable(&bound);
    fired.clear();
    edit->setPrecision(2);
    EXPECT_EQ(edit->text(), "2.00");
    edit->setPrecision(40);
    EXPECT_EQ(edit->Precision(), 16);
    edit->setPrecision(-3);
    EXPECT_EQ(edit->Precision(), 0);
    EXPECT_EQ(edit->text(), "2");
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(bound, 0.f);
    // The reformatted text is the one restored after bad input.
    typeAndEnter("x");
    EXPECT_EQ(edit->text(), "2");
}

TEST_F(EditXTest, SpinnerAndLabelFollowTheField) {
    TSpinFloatX* spin = edit->spinner();
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->parentWidget(), &host);
    EXPECT_EQ(spin->linkedEdit(), edit);
    EXPECT_EQ(spin->geometry(), QRect(220, 20, 13, 21));
    ASSERT_NE(edit->label(), nullptr);
    EXPECT_EQ(edit->label()->text(), "Pos X");
    EXPECT_EQ(edit->label()->parentWidget(), &host);
    EXPECT_EQ(edit->label()->geometry().right() + 1 + 5, 100);

    edit->setGeometry(60, 30, 100, 25);
    EXPECT_EQ(spin->geometry(), QRect(160, 30, 13, 25));
    EXPECT_EQ(edit->label()->geometry().right() + 1 + 5, 60);
    const QRect label = edit->label()->geometry();
    EXPECT_EQ(label.top(), 30 + (25 - label.height()) / 2);

    edit->hide();
    EXPECT_FALSE(spin->isVisible());
    EXPECT_FALSE(edit->label()->isVisible());
    edit->show();
    EXPECT_TRUE(spin->isVisible());
    EXPECT_TRUE(edit->label()->isVisible());
}

TEST(EditXParent, ValueKeptUntilTheSpinnerExists) {
    QLocale::setDefault(QLocale::c());
    QWidget host;
    TEditX* edit = new TEditX;
    EXPECT_EQ(edit->spinner(), nullptr);
    edit->setFloatDiv(0.01);
    edit->setFloatVal(5.0);
    EXPECT_EQ(edit->FloatVal(), 5.0);
    edit->setParent(&host);
    ASSERT_NE(edit->spinner(), nullptr);
    EXPECT_EQ(edit->spinner()->value(), 5.0);
    EXPECT_EQ(edit->spinner()->FloatDiv(), 0.01);
    EXPECT_EQ(edit->spinner()->parentWidget(), &host);
    QLocale::setDefault(QLocale::system());
}

TEST_F(EditXTest, DisabledFieldIsReadOnlyWithUnactiveBackground) {
    edit->setEnabled(false);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_FALSE(edit->spinner()->isEnabled());
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Base), QColor(0x9D, 0xAB, 0xBB));
    lwtest::saveScreenshot(&host, "EditX_disabled");
    edit->setEnabled(true);
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_TRUE(edit->spinner()->isEnabled());
    EXPECT_EQ(edit->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));

    // New style colours reach the field when it is shown again.
    lw::setStyleColors({0x00FF00, 0x0000FF});
    edit->hide();
    edit->show();
    EXPECT_EQ(edit->palette().color(QPalette::Active, QPalette::Base), QColor(0, 0xFF, 0));
}

// The spinner, dragged with synthesised mouse events at chosen screen positions.
class SpinFloatXTest : public EditXTest {
protected:
    void press(QPoint global) { lwtest::mousePress(spin(), {6, 10}, global); }
    void moveTo(QPoint global) { lwtest::mouseMove(spin(), {6, 10}, global); }
    void release(QPoint global) { lwtest::mouseRelease(spin(), {6, 10}, global); }
    TSpinFloatX* spin() { return edit->spinner(); }
};

TEST_F(SpinFloatXTest, DraggingUpAddsStepPerPixel) {
    float bound = 0.f;
    edit->setBoundVariable(&bound);
    edit->setFloatDiv(0.1);
    edit->setFloatVal(2.0);
    fired.clear();
    press({400, 300});
    EXPECT_TRUE(spin()->isPressed());
    moveTo({400, 290});
    EXPECT_NEAR(edit->FloatVal(), 3.0, 1e-12);
    EXPECT_EQ(edit->text(), "3.000000");
    EXPECT_NEAR(bound, 3.f, 1e-6);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(spin()->cursor().shape(), Qt::BitmapCursor);
    // Pixel by pixel down again: ten steps of 0.1.
    for (int y = 291; y <= 300; ++y)
        moveTo({400, y});
    EXPECT_NEAR(edit->FloatVal(), 2.0, 1e-12);
    EXPECT_EQ(edit->text(), "2.000000");
    release({400, 300});
    EXPECT_FALSE(spin()->isPressed());
    EXPECT_NE(spin()->cursor().shape(), Qt::BitmapCursor);
    // The drag's value is the one kept after bad input.
    typeAndEnter("abc");
    EXPECT_EQ(edit->text(), "2.000000");
}

TEST_F(SpinFloatXTest, LeftMakesTheStepCoarserUpToOne) {
    edit->setFloatDiv(0.01);
    press({400, 300});
    EXPECT_DOUBLE_EQ(spin()->stepExponent(), -2.0);
    moveTo({300, 300}); // 100 pixels left: one decade coarser
    EXPECT_NEAR(spin()->stepExponent(), -1.0, 1e-9);
    EXPECT_EQ(edit->FloatVal(), 0.0); // sideways moves change no value
    moveTo({300, 290});
    EXPECT_NEAR(edit->FloatVal(), 1.0, 1e-12); // ten pixels of 0.1
    moveTo({200, 290});
    moveTo({100, 290});
    moveTo({50, 290});
    EXPECT_EQ(spin()->stepExponent(), 0.0); // never coarser than 1
    moveTo({50, 289});
    EXPECT_NEAR(edit->FloatVal(), 2.0, 1e-12);
    release({50, 289});
}

TEST_F(SpinFloatXTest, RightMakesTheStepFinerDownToTenMillionth) {
    edit->setFloatDiv(0.1);
    press({100, 300});
    moveTo({150, 300}); // half a decade: -1.5 rounds to the even decade, -2
    EXPECT_NEAR(spin()->stepExponent(), -1.5, 1e-9);
    moveTo({150, 299});
    EXPECT_NEAR(edit->FloatVal(), 0.01, 1e-15);
    moveTo({750, 299});
    EXPECT_EQ(spin()->stepExponent(), -7.0);
    moveTo({750, 289});
    EXPECT_NEAR(edit->FloatVal(), 0.01 + 10e-7, 1e-15);
    release({750, 289});
}

TEST_F(SpinFloatXTest, DragStaysInsideTheRange) {
    edit->setRange(0, 1);
    edit->setFloatDiv(1);
    press({400, 300});
    moveTo({400, 250});
    EXPECT_EQ(edit->FloatVal(), 1.0);
    EXPECT_EQ(spin()->value(), 1.0);
    moveTo({400, 251}); // one step down from the bound, not from the overshoot
    EXPECT_EQ(edit->FloatVal(), 0.0);
    release({400, 251});
}

TEST_F(SpinFloatXTest, StepBaseThatIsNoPositiveNumberStartsFinest) {
    for (double base : {0.0, -1.0, std::nan("")}) {
        edit->setFloatDiv(base);
        press({400, 300});
        EXPECT_EQ(spin()->stepExponent(), -7.0);
        moveTo({400, 299});
        release({400, 299});
        EXPECT_TRUE(std::isfinite(edit->FloatVal()));
    }
    EXPECT_NEAR(edit->FloatVal(), 3e-7, 1e-15);
}

TEST(SpinFloatXWrap, PointerWrapsAtTheDesktopEdges) {
    const QRect desk(0, 0, 800, 600);
    EXPECT_EQ(TSpinFloatX::wrapPointer({400, 300}, desk), QPoint(400, 300));
    EXPECT_EQ(TSpinFloatX::wrapPointer({784, 584}, desk), QPoint(784, 584)); // not yet
    EXPECT_EQ(TSpinFloatX::wrapPointer({785, 300}, desk), QPoint(15, 300));
    EXPECT_EQ(TSpinFloatX::wrapPointer({400, 590}, desk), QPoint(400, 15));
    EXPECT_EQ(TSpinFloatX::wrapPointer({14, 14}, desk), QPoint(784, 584));
    EXPECT_EQ(TSpinFloatX::wrapPointer({15, 15}, desk), QPoint(15, 15));
    // A desktop that does not start at the origin.
    EXPECT_EQ(TSpinFloatX::wrapPointer({-1020, 300}, QRect(-1024, 0, 1024, 768)),
              QPoint(-1024 + 1008, 300));
}

TEST_F(SpinFloatXTest, WrappedPointerCarriesTheDragOn) {
    const QRect desk = spin()->screen()->virtualGeometry();
    edit->setFloatDiv(1);
    const QPoint start(desk.center().x(), desk.top() + 20);
    press(start);
    moveTo({start.x(), desk.top() + 10}); // ten pixels up, into the top margin
    EXPECT_EQ(edit->FloatVal(), 10.0);
    const QPoint wrapped(start.x(), desk.bottom() + 1 - 16);
    EXPECT_EQ(QCursor::pos(spin()->screen()), wrapped);
    moveTo({wrapped.x(), wrapped.y() - 5}); // measured from where the pointer went
    EXPECT_EQ(edit->FloatVal(), 15.0);
    release(wrapped);
}

TEST_F(SpinFloatXTest, PressedLookAndPictures) {
    edit->setFloatVal(12.5);
    const QImage up = spin()->grab().toImage();
    lwtest::saveScreenshot(&host, "EditX_default");
    lwtest::saveScreenshot(spin(), "SpinFloatX_default");
    press({400, 300});
    const QImage down = spin()->grab().toImage();
    lwtest::saveScreenshot(&host, "EditX_spinner_pressed");
    lwtest::saveScreenshot(spin(), "SpinFloatX_pressed");
    release({400, 300});
    EXPECT_NE(up, down);
    EXPECT_EQ(spin()->grab().toImage(), up);

    // Bitmap and cursor are our own drawings.
    EXPECT_EQ(TSpinFloatX::updownBitmap().size(), QSize(7, 11));
    EXPECT_TRUE(TSpinFloatX::updownBitmap().hasAlphaChannel());
    EXPECT_EQ(TSpinFloatX::updownCursor().hotSpot(), QPoint(15, 15));
}

} // namespace
