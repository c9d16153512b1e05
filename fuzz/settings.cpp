// The settings file: whatever decodes completely must survive being written
// out and read back unchanged.
#include "db/settingsfile.h"
#include "fuzztarget.h"

KOLT_FUZZ_TARGET(FuzzSettings)
{
    SettingsData settings;
    if (!DecodeSettings(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), settings))
        return 0;
    SettingsData back;
    KOLT_FUZZ_CHECK(DecodeSettings(EncodeSettings(settings), back));
    KOLT_FUZZ_CHECK(back.dataFolder == settings.dataFolder && back.pictureFolder == settings.pictureFolder
                    && back.documentFolder == settings.documentFolder && back.language == settings.language);
    for (int t = 0; t < kTableCount; ++t)
        for (int c = 0; c < kMaxColumns; ++c) {
            const ColumnSetting& a = settings.layout[t][c];
            const ColumnSetting& b = back.layout[t][c];
            KOLT_FUZZ_CHECK(a.shown == b.shown && a.width == b.width && a.position == b.position);
        }
    return 0;
}
