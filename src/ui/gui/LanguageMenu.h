#pragma once
// The Options > Language submenu (`SelectLanguage1`) with its radio items `DefaultEnglish1`
// ("Default (English)") and `Select1` ("Select..."), and what their handlers do. The main window
// adds the menu and forwards its `DefaultEnglish1Click` and `SelectLanguage1Click` here.

#include "ui/LangRegistry.h"
#include "ui/Language.h"

#include <QMenu>

#include <functional>

class QAction;

namespace lw {

class TLanguageMenu : public QMenu {
    Q_OBJECT
public:
    // Returns the chosen file, or an empty string when the user cancels.
    using FilePicker = std::function<QString(QWidget* parent, const QString& folder)>;
    // Shows an error (title and text) to the user.
    using ErrorReporter =
        std::function<void(QWidget* parent, const QString& title, const QString& text)>;

    explicit TLanguageMenu(QWidget* parent = nullptr, Language& language = appLanguage(),
                           LangRegistry& registry = appLangRegistry());

    QAction* DefaultEnglish1() const { return defaultEnglish_; }
    QAction* Select1() const { return select_; }

    // Tests and embedders replace the dialogs.
    void setFilePicker(FilePicker picker) { pickFile_ = std::move(picker); }
    void setErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }

    // Start-up: picks the stored language (or English), checks the matching item and pushes the
    // texts into every registered control.
    void startUp();

public slots:
    // "Default (English)": stores "Default" and applies the English texts.
    void DefaultEnglish1Click();
    // "Select...": asks for a ".lng" file in the program's folder; a confirmed file that loads is
    // stored and applied. One that cannot be read is reported and the texts in use stay.
    void SelectLanguage1Click();

private:
    void checkItems(bool englishChosen);

    Language& language_;
    LangRegistry& registry_;
    QAction* defaultEnglish_;
    QAction* select_;
    FilePicker pickFile_;
    ErrorReporter reportError_;
};

} // namespace lw
