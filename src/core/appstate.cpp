#include "core/appstate.h"

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

QString DataPictureFolder()
{
    return App().DataFolder + QStringLiteral("/Picture");
}

QString DataDocumentFolder()
{
    return App().DataFolder + QStringLiteral("/Document");
}
