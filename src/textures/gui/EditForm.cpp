#include "textures/gui/EditForm.h"

#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace lw {

TEditForm::TEditForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditForm"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* layout = new QHBoxLayout(this);
    EditItem1 = new QLineEdit(this);
    EditItem1->setObjectName(QStringLiteral("EditItem1"));
    EditItem1->setMinimumWidth(220);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    layout->addWidget(EditItem1, 1);
    layout->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, &TEditForm::Button1Click);
    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[sEditName]"), this);
    bindAccessibleName(r, QStringLiteral("[sEditName]"), EditItem1);
    r.apply(appLanguage());
}

void TEditForm::Button1Click() {
    accept();
}

std::optional<QString> TEditForm::editName(QWidget* parent, const QString& name) {
    TEditForm form(parent);
    form.EditItem1->setText(name);
    form.EditItem1->selectAll();
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.EditItem1->text();
}

} // namespace lw
