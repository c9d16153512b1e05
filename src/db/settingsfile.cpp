#include "db/settingsfile.h"

#include "core/savedfile.h"
#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

const char* const kFileName = "KOLT.prm";

void putU8(QByteArray& out, quint8 v)
{
    out.append(static_cast<char>(v));
}

void putU16(QByteArray& out, quint16 v)
{
    putU8(out, v & 0xFF);
    putU8(out, v >> 8);
}

void putU32(QByteArray& out, quint32 v)
{
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

// An archived string: 0xFF 0xFFFE marks UTF-16, then the length in one of
// three widths, then the code units.
void putString(QByteArray& out, const QString& s)
{
    putU8(out, 0xFF);
    putU16(out, 0xFFFE);
    const quint32 n = static_cast<quint32>(s.size());
    if (n < 0xFF) {
        putU8(out, static_cast<quint8>(n));
    } else if (n < 0xFFFE) {
        putU8(out, 0xFF);
        putU16(out, static_cast<quint16>(n));
    } else {
        putU8(out, 0xFF);
        putU16(out, 0xFFFF);
        putU32(out, n);
    }
    for (QChar ch : s)
        putU16(out, ch.unicode());
}

class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool u8(quint8& v)
    {
        if (m_pos + 1 > m_bytes.size())
            return false;
        v = static_cast<quint8>(m_bytes[m_pos++]);
        return true;
    }
    bool u16(quint16& v)
    {
        quint8 a, b;
        if (!u8(a) || !u8(b))
            return false;
        v = static_cast<quint16>(a | (b << 8));
        return true;
    }
    bool u32(quint32& v)
    {
        quint16 a, b;
        if (!u16(a) || !u16(b))
            return false;
        v = a | (static_cast<quint32>(b) << 16);
        return true;
    }
    bool string(QString& s)
    {
        bool wide = false;
        quint32 length = 0;
        quint8 b;
        if (!u8(b))
            return false;
        if (b == 0xFF) {
            quint16 w;
            if (!u16(w))
                return false;
            if (w == 0xFFFE) {
                wide = true;
                if (!u8(b))
                    return false;
                if (b < 0xFF) {
                    length = b;
                } else {
                    if (!u16(w))
                        return false;
                    if (w < 0xFFFF) {
                        length = w;
                    } else if (!u32(length)) {
                        return false;
                    }
                }
            } else if (w == 0xFFFF) {
                if (!u32(length))
                    return false;
            } else {
                length = w;
            }
        } else {
            length = b;
        }
        const qsizetype bytesNeeded = static_cast<qsizetype>(length) * (wide ? 2 : 1);
        if (length > static_cast<quint32>(m_bytes.size()) || m_pos + bytesNeeded > m_bytes.size())
            return false;
        s.clear();
        s.reserve(length);
        for (quint32 i = 0; i < length; ++i) {
            if (wide) {
                quint16 u = 0;
                u16(u);
                s += QChar(u);
            } else {
                quint8 c = 0;
                u8(c);
                s += QChar(c);
            }
        }
        return true;
    }

    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

bool plausibleFolder(const QString& folder)
{
    for (const QChar c : folder)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return folder.isValidUtf16();
}

QString userConfigFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/KOLT/")
        + QLatin1String(kFileName);
}

QString programFolderFile()
{
    return App().ProgramFolder + QLatin1String(kFileName);
}

bool writeAtomically(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

QByteArray EncodeSettings(const SettingsData& settings)
{
    QByteArray out;
    putString(out, settings.dataFolder);
    putString(out, settings.pictureFolder);
    putString(out, settings.documentFolder);
    putU32(out, static_cast<quint32>(settings.language));
    for (int t = 0; t < kSettingsLayoutTables; ++t)
        for (const auto& column : settings.layout[static_cast<size_t>(t)]) {
            putU32(out, static_cast<quint32>(column.shown));
            putU32(out, static_cast<quint32>(column.width));
            putU32(out, static_cast<quint32>(column.position));
        }
    return out;
}

bool DecodeSettings(const QByteArray& bytes, SettingsData& settings)
{
    Reader in(bytes);
    if (!in.string(settings.dataFolder) || !in.string(settings.pictureFolder) || !in.string(settings.documentFolder))
        return false;
    quint32 v;
    if (!in.u32(v))
        return false;
    settings.language = static_cast<qint32>(v);
    for (int t = 0; t < kSettingsLayoutTables; ++t)
        for (auto& column : settings.layout[static_cast<size_t>(t)]) {
            quint32 shown, width, position;
            if (!in.u32(shown) || !in.u32(width) || !in.u32(position))
                return false;
            column = ColumnSetting{static_cast<qint32>(shown), static_cast<qint32>(width),
                                   static_cast<qint32>(position)};
        }
    // Bytes beyond the layout, or a folder no one could have chosen, mean the
    // file is something else or damaged, however well its start decoded.
    return in.atEnd() && plausibleFolder(settings.dataFolder) && plausibleFolder(settings.pictureFolder)
        && plausibleFolder(settings.documentFolder);
}

QString SettingsFilePathForReading()
{
    const QString user = userConfigFile();
    if (QFileInfo::exists(user))
        return user;
    const QString older = programFolderFile();
    return QFileInfo::exists(older) ? older : user;
}

QString SettingsFilePathForWriting()
{
    return userConfigFile();
}

bool ReadSettingsFile()
{
    const QString path = SettingsFilePathForReading();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    SettingsData data;
    if (!DecodeSettings(bytes, data)) {
        ShowMessage(TranslateLabel(QStringLiteral("The settings file is damaged; the defaults are used:"))
                        + QLatin1Char('\n') + QDir::toNativeSeparators(path),
                    QStringLiteral("KOLT"));
        return false;
    }
    // A file beside the program is what an earlier release kept there: it
    // becomes this user's own file, and the program folder, which an
    // installed program cannot write (and other users share), is left alone
    // from then on. When the user's folder takes nothing, the file is still
    // applied for this run.
    if (path != userConfigFile())
        writeAtomically(userConfigFile(), bytes);
    AppState& app = App();
    app.DataFolder = QDir::fromNativeSeparators(data.dataFolder);
    while (app.DataFolder.size() > 1 && app.DataFolder.endsWith(QLatin1Char('/')))
        app.DataFolder.chop(1);
    app.PictureFolder = QDir::fromNativeSeparators(data.pictureFolder);
    app.DocumentFolder = QDir::fromNativeSeparators(data.documentFolder);
    app.language = data.language;
    app.ColumnLayout = data.layout;
    return true;
}

bool WriteSettingsFile()
{
    const AppState& app = App();
    SettingsData data;
    data.dataFolder = app.DataFolder;
    data.pictureFolder = app.PictureFolder;
    data.documentFolder = app.DocumentFolder;
    data.language = app.language;
    data.layout = app.ColumnLayout;
    const QString path = SettingsFilePathForWriting();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(EncodeSettings(data));
    return CommitSavedFile(file, nullptr);
}

QString ReadProfileUser()
{
    QSettings profile(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
    return profile.value(QStringLiteral("HUX-KOLT/USERNAME")).toString();
}

void WriteProfileUser(const QString& user)
{
    QSettings profile(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
    profile.setValue(QStringLiteral("HUX-KOLT/USERNAME"), user);
}
