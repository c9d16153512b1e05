#include "partinfo/partinfo.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parts.h"
#include "db/vendors.h"
#include "partinfo/partservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// "0.1234USD" -> amount "0.1234" and currency "USD".
void splitPrice(const QString& price, QString& amount, QString& currency)
{
    qsizetype end = 0;
    while (end < price.size() && (price.at(end).isDigit() || price.at(end) == QLatin1Char('.')
                                  || price.at(end) == QLatin1Char('-') || price.at(end) == QLatin1Char('+')))
        ++end;
    amount = price.left(end).trimmed();
    currency = price.mid(end).trimmed();
}

bool hasColumn(const QString& column)
{
    return FieldIndex(App().tables[PartList], column) >= 0;
}

} // namespace

std::vector<PartMatch> SearchParts(const QString& serviceAddress, const QString& searchText, bool* reached)
{
    const QString text = FetchText(PartSearchUrl(serviceAddress, searchText));
    if (reached)
        *reached = !text.isEmpty();
    if (text.isEmpty())
        return {};
    return ReadPartMatches(text);
}

QString DatasheetFileName(const QString& partNumber, const QString& datasheetUrl)
{
    QString name = partNumber;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name += datasheetUrl.right(4);
    QString safe;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.category() == QChar::Other_Control)
            safe += QLatin1Char('-');
        else
            safe += c;
    }
    safe = safe.trimmed();
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe = QStringLiteral("datasheet");
    return safe;
}

PartDatasheet FetchPartDatasheet(const QString& serviceAddress, const QString& uid, const QString& partNumber)
{
    PartDatasheet result;
    const QString text = FetchText(PartDetailUrl(serviceAddress, uid));
    if (text.isEmpty())
        return result;
    result.fetched = true;
    result.imageUrl = ReadSingleUrl(text, QStringLiteral("image"));
    result.datasheetUrl = ReadSingleUrl(text, QStringLiteral("datasheets"));

    const QString folder = DataDocumentFolder();
    if (!QDir().mkpath(folder)) {
        ShowMessage(TranslateLabel(QStringLiteral("Cannot write the file:")) + QLatin1Char('\n') + folder,
                    PartServiceCaption());
        return result;
    }
    const QString path = folder + QLatin1Char('/') + DatasheetFileName(partNumber, result.datasheetUrl);
    // The name is made safe above; this guards the rule, not the user.
    if (QFileInfo(path).absoluteDir() != QDir(folder))
        return result;
    if (DownloadFile(result.datasheetUrl, path))
        result.path = path;
    return result;
}

QString PartNumberOfRow(int partId)
{
    if (partId <= 0)
        return QString();
    bool found = false;
    bool ok = true;
    const QString number = PartNumberOfRecord(partId, &found, &ok);
    if (!ok || !found)
        return QString();
    // A row without a number is still a row; say so rather than "gone".
    return number.isEmpty() ? QStringLiteral("#%1").arg(partId) : number;
}

bool TransferPartInfo(int partId, const PartInfoTransfer& values, QString* partNumber)
{
    const QString caption = Translate(QStringLiteral("Electronic Part Information"));
    const bool datasheet = values.datasheet && QFileInfo(values.datasheetPath).isFile();
    if (!values.description && !values.price && !values.manufacturer && !values.website && !values.distributor
        && !values.orderCode && !datasheet) {
        ShowMessage(Translate(QStringLiteral("Check the values to transfer.")), caption);
        return false;
    }
    const QString part = PartNumberOfRow(partId);
    if (part.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("The part is no longer in the parts list.")), caption);
        return false;
    }
    // A search for another number finds other parts; their data written
    // into this row without a word would silently make it a different part.
    const QString match = values.matchPartNumber.trimmed();
    if (!match.isEmpty() && UpperCaseAscii(match) != UpperCaseAscii(part.trimmed())
        && ShowMessage(Translate(QStringLiteral("Write the values of %1 into part %2?")).arg(match, part), caption,
                       kButtonsYesNo)
               != kAnswerYes)
        return false;
    if (partNumber)
        *partNumber = part;

    const QString user = App().CurrentUser;
    const QString stamp = TimestampText();
    Transaction transaction;
    // Every transferred field goes into the record in one statement.
    std::vector<std::pair<QString, QString>> fields;
    bool stamped = false;
    auto set = [&](const char* column, const QString& value, bool stampIt = true) {
        fields.emplace_back(QString::fromLatin1(column), value);
        stamped = stamped || stampIt;
    };
    if (values.description && hasColumn(QStringLiteral("Description")))
        set("Description", values.descriptionText);
    if (values.manufacturer && hasColumn(QStringLiteral("Manufacturer"))) {
        // A maker is a vendor, as the parts grid has it: named for the first
        // time, it gets its record.
        const QString maker = UpperCaseAscii(values.manufacturerText);
        set("Manufacturer", maker);
        if (!EnsureVendorRecord(maker.trimmed(), user, stamp))
            transaction.fail();
    }
    if (values.website && hasColumn(QStringLiteral("Web_Page")))
        set("Web_Page", values.websiteText);
    if (values.price && hasColumn(QStringLiteral("Price"))) {
        // The price column holds a number; the currency the service quoted
        // goes with it, or the number would be read in the part's old currency.
        QString amount;
        QString currency;
        splitPrice(values.priceText, amount, currency);
        set("Price", amount);
        if (!currency.isEmpty() && hasColumn(QStringLiteral("Currency")))
            set("Currency", currency, false);
    }
    if (values.distributor && hasColumn(QStringLiteral("Distributor"))) {
        const QString vendor = UpperCaseAscii(values.distributorText.trimmed());
        set("Distributor", vendor);
        if (!EnsureVendorRecord(vendor, user, stamp))
            transaction.fail();
    }
    if (values.orderCode && hasColumn(QStringLiteral("Order_Code")))
        set("Order_Code", values.orderCodeText.trimmed());
    if (datasheet && hasColumn(QStringLiteral("Datasheet"))) {
        const QFileInfo source(values.datasheetPath);
        const QString folder = DataDocumentFolder();
        const QString target = folder + QLatin1Char('/') + source.fileName();
        bool copied = QFileInfo(target).canonicalFilePath() == source.canonicalFilePath();
        if (!copied) {
            QDir().mkpath(folder);
            QFile::remove(target);
            copied = QFile::copy(source.filePath(), target);
        }
        if (copied)
            set("Datasheet", source.fileName());
        else
            transaction.fail();
    }
    if (stamped) {
        set("User", user, false);
        set("Time_Stamp", stamp, false);
    }
    if (transaction.ok())
        WritePartRecordFields(partId, fields);
    if (!transaction.commit()) {
        ShowMessage(LastErrorText().isEmpty() ? TranslateLabel(QStringLiteral("The file could not be copied:"))
                                                    + QLatin1Char(' ') + values.datasheetPath
                                              : LastErrorText(),
                    QStringLiteral("Database Status"));
        return false;
    }
    return true;
}
