#include "core/dictionary.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar ch : text)
        out.append(static_cast<char>(ch.unicode() & 0xFF)).append(static_cast<char>(ch.unicode() >> 8));
    return out;
}

const QString kFile = "English\r\nOK\r\nLines Scanned\r\nCancel\r\nLong\r\n***\r\n"
                      "Deutsch\r\nOK\r\nGelesene Zeilen\r\nAbbrechen\r\n"
                      + QString(81, QChar('x')) + "\r\n***\r\n"
                      "Français\r\nD'accord\r\nLignes lues\r\n***\r\n"
                      "Unclosed\r\nA\r\n";

} // namespace

TEST(Dictionary, ParsesBlocksAndOffersOnlyClosedLanguages)
{
    const Dictionary d = ParseDictionary(utf16(kFile), 2);
    EXPECT_EQ(d.languageCount, 3);
    EXPECT_EQ(d.phraseCount, 5);
    EXPECT_EQ(d.languageNames, QStringList({"English", "Deutsch", "Français"}));
    EXPECT_EQ(d.keyPhrases.size(), 5);
    EXPECT_EQ(d.selectedPhrases.value(1), "D'accord");

    const Dictionary none = ParseDictionary(utf16("English\r\nOK\r\n"), 1);
    EXPECT_EQ(none.languageCount, 0);
    EXPECT_EQ(Translate(none, "OK"), "OK");
}

TEST(Dictionary, TranslateRules)
{
    Dictionary d = ParseDictionary(utf16(kFile), 1);
    EXPECT_EQ(Translate(d, "Lines Scanned"), "Gelesene Zeilen");
    EXPECT_EQ(Translate(d, "lines scanned"), "Gelesene Zeilen"); // case ignored
    EXPECT_EQ(Translate(d, "Unknown"), "Unknown");
    EXPECT_EQ(Translate(d, "Long"), "Long"); // an over-long translation is not used
    d.selected = 0;
    EXPECT_EQ(Translate(d, "Cancel"), "Cancel");

    // The shorter French block leaves untranslated phrases empty.
    const Dictionary fr = ParseDictionary(utf16(kFile), 2);
    EXPECT_EQ(Translate(fr, "ok"), "D'accord");
    EXPECT_EQ(Translate(fr, "Cancel"), "");
}

// A phrase kept in two cases (a word in a sentence and the same word as a
// label) translates each as written; any other case takes the first.
TEST(Dictionary, APhraseInItsOwnCaseWins)
{
    const QString file = "English\r\nassembly\r\nAssembly\r\n***\r\n"
                         "Français\r\nensemble\r\nEnsemble\r\n***\r\n";
    const Dictionary d = ParseDictionary(utf16(file), 1);
    EXPECT_EQ(Translate(d, "Assembly"), "Ensemble");
    EXPECT_EQ(Translate(d, "assembly"), "ensemble");
    EXPECT_EQ(Translate(d, "ASSEMBLY"), "ensemble");
}
