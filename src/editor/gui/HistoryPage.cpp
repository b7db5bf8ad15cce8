#include "editor/gui/HistoryPage.h"

#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QStyle>

namespace lw {

THistoryPage::THistoryPage(QUndoStack* stack, QWidget* parent) : QUndoView(stack, parent) {
    setObjectName(QStringLiteral("HistoryPage"));
    setCleanIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    LangRegistry& texts = appLangRegistry();
    bindAccessibleName(texts, QStringLiteral("[pageHistory]"), this);
    texts.add(QStringLiteral("[sHistoryStart]"), this,
              [this](const QString& t) { setEmptyLabel(t); });
    texts.apply(appLanguage());
}

} // namespace lw
