#include "editor/gui/AboutForm.h"

#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace lw {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Landwright v.2.3"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* by = new QLabel(QStringLiteral("by"), this);
    by->setAlignment(Qt::AlignCenter);
    auto* maker = new QLabel(QStringLiteral("Corvell"), this);
    maker->setAlignment(Qt::AlignCenter);
    auto* thanks = new QLabel(this);
    thanks->setObjectName(QStringLiteral("ThanksLabel"));
    thanks->setWordWrap(true);
    thanks->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{title, by, maker, thanks, buttons})
        layout->addWidget(w);
    setMinimumWidth(320);
    bindCaption(appLangRegistry(), QStringLiteral("[sAboutLandwright]"), this);
    bindCaption(appLangRegistry(), QStringLiteral("[sThanks]"), thanks);
    appLangRegistry().apply(appLanguage());
}

} // namespace lw
