// The dictionary of interface texts, and a lookup in it.
#include "core/dictionary.h"
#include "fuzztarget.h"

KOLT_FUZZ_TARGET(FuzzDictionary)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int language : {0, 1, 2}) {
        const Dictionary dictionary = ParseDictionary(bytes, language);
        KOLT_FUZZ_CHECK(dictionary.languageNames.size() <= dictionary.languageCount);
        Translate(dictionary, QStringLiteral("Part"));
        Translate(dictionary, QStringLiteral("Setup"));
    }
    return 0;
}
