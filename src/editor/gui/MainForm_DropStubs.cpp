// Commands a dropped file goes to whose own work is not in the editor yet: the texture list,
// the 3DS import dialog and the heightmap preview. Each refuses with a message until its
// feature replaces the body here (delete the function from this file then).

#include "editor/gui/MainForm.h"

#include "ui/Language.h"

namespace lw {

bool TMainForm::openTextureListFile(const QString& fileName) {
    reportErrorText(
        formatLangText(langText("[sCannotOpenYet]"), {QStringLiteral("texture lists"), fileName}));
    return false;
}

bool TMainForm::import3dsFile(const QString& fileName) {
    reportErrorText(
        formatLangText(langText("[sCannotOpenYet]"), {QStringLiteral("3DS models"), fileName}));
    return false;
}

bool TMainForm::openHeightmapFile(const QString& fileName) {
    reportErrorText(formatLangText(langText("[sCannotOpenYet]"),
                                   {QStringLiteral("heightmap files"), fileName}));
    return false;
}

} // namespace lw
