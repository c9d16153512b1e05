// Every seed of every reader through its harness: a harness aborts on a
// crash or a broken check, which fails the run. Crash inputs a campaign
// found join the seeds once fixed.
#include "fuzztarget.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>

TEST(FuzzSeeds, EveryReaderTakesEverySeed)
{
    ASSERT_EQ(FuzzReaders().size(), 8u);
    for (const FuzzReader& reader : FuzzReaders()) {
        const QDir corpus(SourceDir() + QStringLiteral("/fuzz/corpus/") + QString::fromLatin1(reader.name));
        const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
        EXPECT_GE(seeds.size(), 3) << reader.name << ": a reader without seeds is fuzzed from nothing";
        for (const QString& seed : seeds) {
            QFile file(corpus.filePath(seed));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << seed.toStdString();
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(std::string(reader.name) + "/" + seed.toStdString());
            EXPECT_EQ(reader.run(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                      0);
        }
    }
}
