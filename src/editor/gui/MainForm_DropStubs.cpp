// The command a dropped texture list goes to while the editor has no texture lists: it refuses
// with a message until that feature replaces it (delete this file then).

#include "editor/gui/MainForm.h"

#include "ui/Language.h"

namespace lw {

bool TMainForm::openTextureListFile(const QString& fileName) {
    reportErrorText(
        formatLangText(langText("[sCannotOpenYet]"), {QStringLiteral("texture lists"), fileName}));
    return false;
}

} // namespace lw
