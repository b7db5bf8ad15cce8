#include "textures/gui/ShowBoxForm.h"

#include "textures/TextureCodes.h"
#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QCloseEvent>
#include <QPainter>

namespace lw {

namespace {

class OverviewPaintBox : public QWidget {
public:
    OverviewPaintBox(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (image_.isNull())
            p.fillRect(rect(), QColor(128, 128, 128));
        else
            p.drawImage(0, 0, image_);
    }

private:
    const QImage& image_;
};

} // namespace

TFormShowBox::TFormShowBox(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("FormShowBox"));
    setFixedSize(534, 534);
    PaintBox1 = new OverviewPaintBox(overview_, this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(0, 0, kBoxOverviewSize, kBoxOverviewSize);
    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[sShowBoxs]"), this);
    bindAccessibleName(r, QStringLiteral("[sShowBoxs]"), PaintBox1);
    r.apply(appLanguage());
}

void TFormShowBox::setOverview(const QImage& overview) {
    overview_ = overview;
    PaintBox1->update();
}

void TFormShowBox::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace lw
