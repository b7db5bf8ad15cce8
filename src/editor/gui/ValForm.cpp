#include "editor/gui/ValForm.h"

#include "ui/Language.h"
#include "ui/gui/EditX.h"
#include "ui/gui/LangBind.h"

#include <QLabel>

namespace lw {

TValForm::TValForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("ValForm"));
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);
    Label1 = new QLabel(QStringLiteral("Poxel"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, kClientWidth - 16, 18);
    ValueEd = new TEditX(this);
    ValueEd->setObjectName(QStringLiteral("ValueEd"));
    ValueEd->setGeometry(48, 38, kClientWidth - 48 - 13 - 8, 21);
    ValueEd->setRange(-100, 100);
    ValueEd->setFloatDiv(0.1);
    ValueEd->setPrecision(6);
    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[sValueEdit]"), this);
    bindCaption(r, QStringLiteral("[sValue]"), ValueEd);
    bindAccessibleName(r, QStringLiteral("[sValue]"), ValueEd);
    r.apply(appLanguage());
}

} // namespace lw
