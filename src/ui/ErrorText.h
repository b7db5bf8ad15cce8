#pragma once
// The text of an error about a file, as the error boxes show it: the file named once, on a line
// of its own, then the reason.

#include <QString>

namespace lw {

// `fileName` on the first line, then `reason` without the readers' own mention of the file
// ("'FILE': ", "'FILE'", "FILE: "), so that the box names it once.
QString fileErrorDetail(const QString& fileName, const QString& reason);

} // namespace lw
