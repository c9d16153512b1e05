// The lenient numbers stored texts are read with.
#include "core/utilities.h"
#include "fuzztarget.h"

#include <cmath>

KOLT_FUZZ_TARGET(FuzzNumbers)
{
    const char* chars = reinterpret_cast<const char*>(data);
    for (const QString& text : {QString::fromUtf8(chars, static_cast<qsizetype>(size)),
                                QString::fromLatin1(chars, static_cast<qsizetype>(size))}) {
        KOLT_FUZZ_CHECK(std::isfinite(TextToDouble(text)));
        TextToInt(text);
        ParseTimestamp(text);
    }
    return 0;
}
