#include "grid/celllink.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString refusal(const QString& text)
{
    return Translate(QStringLiteral("Refused:")) + QLatin1Char(' ') + text + QLatin1Char('\n')
           + Translate(QStringLiteral("Only http, https and mailto links and files in Picture and Document open."));
}

// The folder as the file system names it, links resolved, for comparing paths.
QString realFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

bool inside(const QString& path, const QString& folder)
{
    return path.startsWith(folder + QLatin1Char('/'));
}

// A path is opened only when it lies in one of the two folders once ".."
// and links are resolved; a plain name is looked for in Document, then Picture.
CellLink fileTarget(const QString& text, QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A Windows drive names no folder of this data folder.
    if (path.size() > 2 && path[1] == QLatin1Char(':') && path[0].isLetter())
        return {QUrl(), refusal(text)};
    const QString documents = realFolder(DataDocumentFolder());
    const QString pictures = realFolder(DataPictureFolder());
    QStringList candidates;
    if (QDir::isAbsolutePath(path))
        candidates << path;
    else
        candidates << DataDocumentFolder() + QLatin1Char('/') + path << DataPictureFolder() + QLatin1Char('/') + path;
    QString firstInside;
    bool escapes = false;
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        const QString resolved = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(candidate);
        if (!inside(resolved, documents) && !inside(resolved, pictures)) {
            // Also a link inside a folder that leads out of it.
            escapes = escapes || info.exists();
            continue;
        }
        if (info.exists() && info.isFile())
            return {QUrl::fromLocalFile(resolved), QString()};
        if (firstInside.isEmpty())
            firstInside = resolved;
    }
    if (firstInside.isEmpty() || escapes)
        return {QUrl(), refusal(text)};
    return {QUrl(), TranslateLabel(QStringLiteral("File not found:")) + QLatin1Char(' ')
                        + QDir::toNativeSeparators(firstInside)};
}

} // namespace

CellLink CellLinkTarget(const QString& cellText)
{
    const QString text = cellText.trimmed();
    if (text.size() <= 4)
        return {};
    // A scheme of two letters or more; one letter is a Windows drive.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = scheme.match(text);
    if (match.hasMatch()) {
        const QString name = match.captured(1).toLower();
        if (name == QLatin1String("file"))
            return fileTarget(text, QUrl(text).toLocalFile());
        const QUrl url(text, QUrl::StrictMode);
        const bool web = name == QLatin1String("http") || name == QLatin1String("https");
        if ((web && url.isValid() && !url.host().isEmpty()) || (name == QLatin1String("mailto") && url.isValid()))
            return {url, QString()};
        return {QUrl(), refusal(text)};
    }
    const bool path = text.contains(QLatin1Char('\\')) || text.startsWith(QLatin1Char('/'))
                      || (text.size() > 2 && text[1] == QLatin1Char(':'));
    const QString upper = text.toUpper();
    if (!path && (upper.contains(QLatin1String("WWW.")) || upper.contains(QLatin1String(".COM")))) {
        const QUrl url = QUrl::fromUserInput(text);
        if (url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")))
            return {url, QString()};
        return {QUrl(), refusal(text)};
    }
    return fileTarget(text, text);
}

bool OpenCellLink(const QString& text)
{
    const CellLink link = CellLinkTarget(text);
    if (link.url.isEmpty()) {
        if (!link.problem.isEmpty())
            ShowMessage(link.problem, Translate(QStringLiteral("Open")));
        return false;
    }
    if (!QDesktopServices::openUrl(link.url)) {
        ShowMessage(TranslateLabel(QStringLiteral("Could not open:")) + QLatin1Char(' ')
                        + (link.url.isLocalFile() ? QDir::toNativeSeparators(link.url.toLocalFile())
                                                  : link.url.toString()),
                    Translate(QStringLiteral("Open")));
        return false;
    }
    return true;
}
