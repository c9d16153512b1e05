#pragma once
// Shared test fixtures: a recording user interface with scripted answers and
// a fresh data folder initialised from the built program folder.
#include "core/userinterface.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

struct RecordedMessage
{
    QString text;
    QString caption;
    int buttons = 0;
};

class RecordingInterface final : public UserInterface
{
public:
    std::vector<RecordedMessage> messages;
    std::deque<int> answers; // popped per question; the safe answer when empty
    int progressOpened = 0;
    int progressClosed = 0;
    int lastPosition = 0;
    int maximum = 0;
    QStringList captions;

    int showMessage(const QString& text, const QString& caption, int buttons, int alignment) override;
    void progressOpen(const QString& caption, int minimum, int maximum) override;
    void progressCaption(const QString& caption) override { captions << caption; }
    void progressRange(int, int max) override { maximum = max; }
    void progressPosition(int position) override { lastPosition = position; }
    void progressClose() override { ++progressClosed; }

    bool saw(const QString& textPart) const;
    void clear() { messages.clear(); }
};

// One run of the built koltctl: exit code, standard output, standard error.
struct CtlRun
{
    int code = -1;
    QString out;
    QString err;
};

// The engine tests run twice: on a data folder (SQLite) and, with
// KOLT_TEST_BACKEND=server, on the PostgreSQL server KOLT_TEST_SERVER names.
bool TestOnServer();
QString TestServerAddress();
// For what only a data folder has (the file, its journal, SQLite's own
// catalogue and byte rules).
#define SKIP_ON_SERVER(why)                                                                                           \
    do {                                                                                                              \
        if (TestOnServer())                                                                                           \
            GTEST_SKIP() << why;                                                                                      \
    } while (false)

// A data location initialised afresh for each test, with the program folder
// pointing at the built resources: a folder in a temporary directory, or a
// schema of its own on the test server.
class DataFolderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString dbPath() const;
    // Runs the database's own shell (sqlite3, or psql on the server) on the
    // test database and returns its output: columns joined by "|".
    QString sqlite(const QString& sql) const;
    // The shell's answer with a REAL column's whole numbers as SQLite writes
    // them ("7.0"): the server writes "7".
    QString realText(const QString& sql) const;
    // Every table's rows, for comparing the data before and after.
    QString snapshot() const;
    bool hasTable(const QString& table) const;
    // The indexes the program made, by name, comma-separated ("PartList_Part_nBr"
    // on SQLite, folded to lower case on the server).
    QString indexNames() const;
    // A trigger that makes the database refuse a write ("insert" or
    // "update") on the table, with message, where condition holds of the
    // new row ("new.Vendor = 'BAD'"; empty: always); and its removal.
    void refuseWrites(const QString& name, const QString& when, const QString& table, const QString& condition,
                      const QString& message) const;
    void allowWrites(const QString& name, const QString& table) const;
    // koltctl on the test's data location, with the test's own settings folder.
    CtlRun ctl(const QStringList& args) const;
    // Another empty schema on the test server, dropped with the test's own.
    QString anotherServerLocation();

    RecordingInterface ui;
    QTemporaryDir dir;      // scratch files; the data folder when not on a server
    QString location;       // what App().DataFolder is set to
    QString schema;         // the test's schema on the server
    QStringList moreSchemas;
};

QString ProgramDir();

// With extra environment variables (XDG_CONFIG_HOME keeps the settings of
// whoever runs the tests out of it).
CtlRun RunKoltctl(const QStringList& args, const QStringList& environment = {});
QString SourceDir();
