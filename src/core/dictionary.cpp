#include "core/dictionary.h"

#include "core/appstate.h"
#include "core/userinterface.h"

#include <QFile>

Dictionary ParseDictionary(const QByteArray& bytes, int selectedLanguage)
{
    Dictionary d;
    d.selected = selectedLanguage;
    int block = 0;
    QStringList current;
    bool nameNext = true;
    QString line;
    auto endLine = [&]() {
        if (line.startsWith(QStringLiteral("***"))) {
            if (block == 0)
                d.keyPhrases = current;
            if (block == selectedLanguage && block != 0)
                d.selectedPhrases = current;
            ++block;
            ++d.languageCount;
            current.clear();
            nameNext = true;
            return;
        }
        if (nameNext) {
            d.languageNames << line;
            nameNext = false;
        }
        current << line;
    };
    for (qsizetype pos = 2; pos + 1 < bytes.size(); pos += 2) {
        const char16_t ch = static_cast<char16_t>(static_cast<unsigned char>(bytes[pos])
                                                  | (static_cast<unsigned char>(bytes[pos + 1]) << 8));
        if (ch == u'\r') {
            endLine();
            line.clear();
        } else if (ch >= 0x20) {
            line += QChar(ch);
        }
    }
    // A block not closed by "***" offers no language.
    if (d.languageNames.size() > d.languageCount)
        d.languageNames.resize(d.languageCount);
    d.phraseCount = d.languageCount > 0 ? static_cast<int>(d.keyPhrases.size()) : -1;
    return d;
}

bool LoadDictionary(int selectedLanguage)
{
    QFile file(App().ProgramFolder + QStringLiteral("Dictionary.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        App().dictionary = Dictionary{};
        App().dictionary.selected = selectedLanguage;
        ShowMessage(QStringLiteral("Missing Dictionary File:Dictionary.txt"), QStringLiteral("Missing File"));
        return false;
    }
    App().dictionary = ParseDictionary(file.readAll(), selectedLanguage);
    return true;
}

QString Translate(const Dictionary& d, const QString& text)
{
    if (d.phraseCount <= 0 || d.languageCount == 0 || d.selected <= 0 || d.selected >= d.languageCount)
        return text;
    const QString upper = text.toUpper();
    // Any case finds a phrase, but a phrase given in the very case asked for
    // wins: "assembly" in a sentence and "Assembly" as a label both exist.
    qsizetype found = -1;
    for (qsizetype i = 0; i < d.keyPhrases.size(); ++i) {
        if (d.keyPhrases[i] == text) {
            found = i;
            break;
        }
        if (found < 0 && d.keyPhrases[i].toUpper() == upper)
            found = i;
    }
    const QString result = found < 0 ? text : d.selectedPhrases.value(found);
    return result.size() > 80 ? text : result;
}

QString Translate(const QString& text)
{
    return Translate(App().dictionary, text);
}

QString TranslateLabel(const QString& text)
{
    if (text.contains(QLatin1Char(':')))
        return Translate(text.left(text.size() - 1)) + QLatin1Char(':');
    return Translate(text);
}
