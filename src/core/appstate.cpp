#include "core/appstate.h"

#include <QRegularExpression>
#include <QStandardPaths>

ColumnLayoutTable DefaultColumnLayout()
{
    ColumnLayoutTable layout;
    for (auto& table : layout)
        for (int c = 0; c < kMaxColumns; ++c)
            table[c] = ColumnSetting{1, -1, c};
    return layout;
}

AppState& App()
{
    static AppState state;
    return state;
}

bool IsServerAddress(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool IsUriLocation(const QString& location)
{
    static const QRegularExpression uri(QStringLiteral("^(file:|[A-Za-z][A-Za-z0-9+.-]*://)|\\?.*mode="),
                                        QRegularExpression::CaseInsensitiveOption);
    return !IsServerAddress(location) && uri.match(location.trimmed()).hasMatch();
}

namespace {

QString attachedFolder(const QString& configured, const QString& name)
{
    const AppState& app = App();
    if (!IsServerAddress(app.DataFolder))
        return app.DataFolder + QLatin1Char('/') + name;
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/KOLT/")
           + name;
}

} // namespace

QString DataPictureFolder()
{
    return attachedFolder(App().PictureFolder, QStringLiteral("Picture"));
}

QString DataDocumentFolder()
{
    return attachedFolder(App().DocumentFolder, QStringLiteral("Document"));
}
