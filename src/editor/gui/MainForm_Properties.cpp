// The property page in the main window: built on the document, filled on every selection.

#include "editor/gui/MainForm.h"

#include "editor/gui/PropertiesPage.h"

#include <QMessageBox>
#include <QScrollArea>

namespace lw {

void TMainForm::connectProperties() {
    PropertiesPage = new TPropertiesPage(*doc_, ScrollBox1);
    ScrollBox1->setWidget(PropertiesPage);
    // The page's messages take the window's way to the user.
    PropertiesPage->dialogs().error = [this](QWidget* parent, const QString& title,
                                             const QString& text) {
        if (dialogs_.error)
            dialogs_.error(parent, title, text);
        else
            QMessageBox::critical(parent, title, text);
    };
    PropertiesPage->FillPanels(doc_->root(), true);
}

void TMainForm::showProperties() {
    if (!PropertiesPage)
        return;
    PropertiesPage->FillPanels(shownSelection(), scene_.ShownRoot == doc_->root());
}

} // namespace lw
