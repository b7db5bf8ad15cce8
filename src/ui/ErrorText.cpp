#include "ui/ErrorText.h"

namespace lw {

QString fileErrorDetail(const QString& fileName, const QString& reason) {
    QString rest = reason;
    if (!fileName.isEmpty()) {
        const QString quoted = QLatin1Char('\'') + fileName + QLatin1Char('\'');
        for (const QString& mention :
             {quoted + QStringLiteral(": "), fileName + QStringLiteral(": "), quoted})
            rest.replace(mention, QString());
    }
    rest = rest.trimmed();
    if (rest.endsWith(QLatin1Char(':')))
        rest.chop(1); // "Cannot open file: 'FILE'" leaves the colon behind
    if (fileName.isEmpty())
        return rest;
    return rest.isEmpty() ? fileName : fileName + QLatin1Char('\n') + rest;
}

} // namespace lw
