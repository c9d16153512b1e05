#include "grid/celllink.h"

#include "core/appstate.h"

QUrl CellLinkTarget(const QString& text)
{
    if (text.size() <= 4)
        return QUrl();
    if (text.contains(QLatin1Char('\\'))) {
        // Stored paths may carry either separator.
        QString path = text;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QUrl::fromLocalFile(path);
    }
    const QString upper = text.toUpper();
    if (upper.contains(QLatin1String("HTTP:")) || upper.contains(QLatin1String("WWW."))
        || upper.contains(QLatin1String(".COM"))) {
        const QUrl url = QUrl::fromUserInput(text.trimmed());
        return url.isValid() ? url : QUrl();
    }
    return QUrl::fromLocalFile(DataDocumentFolder() + QLatin1Char('/') + text);
}
