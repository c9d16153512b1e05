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

// A data folder initialised in a temporary directory, with the program
// folder pointing at the built resources.
class DataFolderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString dbPath() const;
    // Runs the sqlite3 shell on the test database and returns its output.
    QString sqlite(const QString& sql) const;

    RecordingInterface ui;
    QTemporaryDir dir;
};

QString ProgramDir();
QString SourceDir();
