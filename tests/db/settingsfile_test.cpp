#include "db/settingsfile.h"
#include "support/testsupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The layout written out by hand: marker, length, UTF-16 units.
QByteArray archived(const QString& s)
{
    QByteArray out;
    out.append('\xFF').append('\xFE').append('\xFF');
    if (s.size() < 0xFF) {
        out.append(static_cast<char>(s.size()));
    } else {
        out.append('\xFF').append(static_cast<char>(s.size() & 0xFF)).append(static_cast<char>(s.size() >> 8));
    }
    for (QChar ch : s)
        out.append(static_cast<char>(ch.unicode() & 0xFF)).append(static_cast<char>(ch.unicode() >> 8));
    return out;
}

QByteArray le32(qint32 v)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF));
    return out;
}

} // namespace

TEST(SettingsFile, MatchesTheLayoutByteForByte)
{
    SettingsData s;
    s.dataFolder = "/home/ann/KOLT";
    s.pictureFolder = QString(300, QChar('p')); // needs the 16-bit length form
    s.documentFolder = "";
    s.language = 2;
    s.layout[1][3] = ColumnSetting{0, 120, 5};
    s.layout[8][63] = ColumnSetting{1, -1, 63};

    QByteArray expected = archived(s.dataFolder) + archived(s.pictureFolder) + archived("") + le32(2);
    for (int t = 0; t < 9; ++t)
        for (int c = 0; c < 64; ++c) {
            const ColumnSetting& col = s.layout[t][c];
            expected += le32(col.shown) + le32(col.width) + le32(col.position);
        }
    const QByteArray bytes = EncodeSettings(s);
    EXPECT_EQ(bytes.size(), expected.size());
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), 4 + 14 * 2 + 6 + 300 * 2 + 4 + 4 + 9 * 64 * 12);

    SettingsData back;
    ASSERT_TRUE(DecodeSettings(bytes, back));
    EXPECT_EQ(back.dataFolder, s.dataFolder);
    EXPECT_EQ(back.pictureFolder, s.pictureFolder);
    EXPECT_EQ(back.language, 2);
    EXPECT_EQ(back.layout[1][3].width, 120);
    EXPECT_EQ(back.layout[1][3].shown, 0);
    EXPECT_EQ(back.layout[1][3].position, 5);
}

TEST(SettingsFile, ReadsEightBitStringsAndSurvivesTruncation)
{
    // A length without the 0xFF 0xFFFE marker means 8-bit characters.
    QByteArray bytes;
    bytes.append('\x03').append("C:\\");
    bytes.append('\x00').append('\x00');
    SettingsData s;
    EXPECT_FALSE(DecodeSettings(bytes, s)); // ends before the layout
    EXPECT_EQ(s.dataFolder, "C:\\");
    EXPECT_EQ(s.layout[0][5].position, 5); // defaults kept
    EXPECT_EQ(s.layout[0][5].width, -1);

    SettingsData garbage;
    EXPECT_FALSE(DecodeSettings(QByteArray("\xFF\xFE\xFF\xFF\xFF\xFF", 6), garbage));
}

TEST(SettingsFile, LivesInTheUserFolderAndTakesOverAnOlderFileBesideTheProgram)
{
    QTemporaryDir program;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString mine = config.path() + "/KOLT/KOLT.prm";
    const QString older = program.path() + "/KOLT.prm";
    App() = AppState{};
    App().ProgramFolder = program.path() + "/";

    // An earlier release kept the file beside the program: it is the default
    // of a user who has none, and becomes that user's own file on reading.
    SettingsData left;
    left.dataFolder = "/data/old";
    left.language = 2;
    QFile file(older);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeSettings(left));
    file.close();
    const QDateTime olderStamp = QFileInfo(older).lastModified();
    ASSERT_TRUE(ReadSettingsFile());
    EXPECT_EQ(App().DataFolder, "/data/old");
    EXPECT_EQ(App().language, 2);
    EXPECT_TRUE(QFile::exists(mine));

    // Writing never touches the program folder, even a writable one, and the
    // user's file is what is read from then on.
    App().DataFolder = "/data/x";
    ASSERT_TRUE(WriteSettingsFile());
    EXPECT_EQ(SettingsFilePathForWriting(), mine);
    QFile back(older);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), EncodeSettings(left));
    EXPECT_EQ(QFileInfo(older).lastModified(), olderStamp);
    App().DataFolder.clear();
    ASSERT_TRUE(ReadSettingsFile());
    EXPECT_EQ(App().DataFolder, "/data/x");

    // A user folder that cannot take the file: the older one still applies
    // for this run, and the failed write is reported, not hidden.
    qputenv("XDG_CONFIG_HOME", (older + "/not-a-folder").toUtf8());
    App().DataFolder.clear();
    ASSERT_TRUE(ReadSettingsFile());
    EXPECT_EQ(App().DataFolder, "/data/old");
    EXPECT_FALSE(WriteSettingsFile());
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
}

TEST(SettingsFile, ADamagedFileIsNotAppliedAtAll)
{
    SettingsData wanted;
    wanted.dataFolder = "/srv/kolt";
    wanted.language = 2;
    wanted.layout[1][3] = ColumnSetting{0, 120, 5};
    const QByteArray whole = EncodeSettings(wanted);
    SettingsData s;
    ASSERT_TRUE(DecodeSettings(whole, s));

    // Cut short, with bytes after the layout, or with a folder that holds a
    // control character: none decodes completely.
    SettingsData damaged = wanted;
    damaged.dataFolder = QStringLiteral("/srv/ko\nlt");
    for (const QByteArray& bytes : {whole.left(whole.size() - 1), whole + QByteArray(1, '\0'), EncodeSettings(damaged)})
        EXPECT_FALSE(DecodeSettings(bytes, s));

    QTemporaryDir program;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    App() = AppState{};
    App().ProgramFolder = program.path() + "/";
    RecordingInterface ui;
    SetUserInterface(&ui);
    for (const QByteArray& bytes : {whole.left(200), whole + "PNG"}) {
        QFile file(program.path() + "/KOLT.prm");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        ui.clear();
        EXPECT_FALSE(ReadSettingsFile());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.messages[0].text.startsWith("The settings file is damaged; the defaults are used:"));
        EXPECT_TRUE(ui.messages[0].text.endsWith(program.path() + "/KOLT.prm"));
        // Nothing of it applies, not even the part that did decode.
        EXPECT_TRUE(App().DataFolder.isEmpty());
        EXPECT_EQ(App().language, 0);
        EXPECT_EQ(App().ColumnLayout[1][3].width, -1);
    }
    // A sound file applies whole, without a word.
    QFile file(program.path() + "/KOLT.prm");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(whole);
    file.close();
    ui.clear();
    EXPECT_TRUE(ReadSettingsFile());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(App().DataFolder, "/srv/kolt");
    EXPECT_EQ(App().ColumnLayout[1][3].width, 120);
    SetUserInterface(nullptr);
}

TEST(SettingsFile, FilesOfOtherReleasesKeepTheirFolders)
{
    SettingsData s;
    s.dataFolder = "/home/ann/KOLT";
    s.layout[2][4] = ColumnSetting{0, 80, 4};
    const QByteArray nine = EncodeSettings(s);
    // A release with more tables reads the nine and lays out the rest by default.
    SettingsData back;
    ASSERT_TRUE(DecodeSettings(nine, back));
    EXPECT_EQ(back.dataFolder, s.dataFolder);
    EXPECT_EQ(back.layout[2][4].width, 80);
    EXPECT_EQ(back.layout[kTableCount - 1][5].position, 5);
    // The layout keeps its nine tables: bytes after them are a damaged file.
    QByteArray ten = nine;
    for (int c = 0; c < kMaxColumns; ++c)
        ten += le32(1) + le32(c == 0 ? 33 : -1) + le32(c);
    SettingsData more;
    EXPECT_FALSE(DecodeSettings(ten, more));
}
