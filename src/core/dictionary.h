#pragma once
// Translation of the fixed interface texts into the selected language.
#include <QString>
#include <QStringList>

struct Dictionary
{
    int phraseCount = 0;   // lines of the key block; -1 when no block was closed
    int languageCount = 0; // "***" lines read
    int selected = 0;      // 0: no translation
    QStringList languageNames;
    QStringList keyPhrases;
    QStringList selectedPhrases;
};

// Reads ProgramFolder + "Dictionary.txt" into App().dictionary for the given
// language. A missing file is reported and leaves nothing to translate.
bool LoadDictionary(int selectedLanguage);
// Parses the bytes of a dictionary file (UTF-16LE after a two-byte mark).
Dictionary ParseDictionary(const QByteArray& bytes, int selectedLanguage);

QString Translate(const Dictionary& dictionary, const QString& text);
QString Translate(const QString& text); // with App().dictionary
// The label rule of dialogs: "Lines Scanned:" is looked up without its colon.
QString TranslateLabel(const QString& text);
