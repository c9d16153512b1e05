#include "partinfo/partinfo.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
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
    const QueryResult row = Query(SqlFormat("SELECT Part_nBr FROM PartList WHERE id=%i", {partId}));
    if (LastResultCode() != 0 || row.rowCount != 1)
        return QString();
    // A row without a number is still a row; say so rather than "gone".
    const QString number = row.cell(0, 0);
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
    if (values.description && hasColumn(QStringLiteral("Description")))
        Execute(SqlFormat("UPDATE PartList SET Description='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {values.descriptionText, user, stamp, partId}));
    if (values.manufacturer && hasColumn(QStringLiteral("Manufacturer")))
        Execute(SqlFormat("UPDATE PartList SET Manufacturer='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {UpperCaseAscii(values.manufacturerText), user, stamp, partId}));
    if (values.website && hasColumn(QStringLiteral("Web_Page")))
        Execute(SqlFormat("UPDATE PartList SET Web_Page='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {values.websiteText, user, stamp, partId}));
    if (values.price && hasColumn(QStringLiteral("Price"))) {
        // The price column holds a number; the currency the service quoted
        // goes with it, or the number would be read in the part's old currency.
        QString amount;
        QString currency;
        splitPrice(values.priceText, amount, currency);
        Execute(SqlFormat("UPDATE PartList SET Price='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {amount, user, stamp, partId}));
        if (!currency.isEmpty() && hasColumn(QStringLiteral("Currency")))
            Execute(SqlFormat("UPDATE PartList SET Currency='%s' WHERE id=%i", {currency, partId}));
    }
    if (values.distributor && hasColumn(QStringLiteral("Distributor"))) {
        const QString vendor = UpperCaseAscii(values.distributorText.trimmed());
        Execute(SqlFormat("UPDATE PartList SET Distributor='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {vendor, user, stamp, partId}));
        if (!vendor.isEmpty()
            && QueryText(SqlFormat("Select Vendor from VendList where Vendor = '%s'", {vendor}), false).isEmpty())
            Execute(SqlFormat("Insert into VendList (Vendor,User,Time_Stamp) values ('%s','%s','%s')",
                              {vendor, user, stamp}));
    }
    if (values.orderCode && hasColumn(QStringLiteral("Order_Code")))
        Execute(SqlFormat("UPDATE PartList SET Order_Code='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                          {values.orderCodeText.trimmed(), user, stamp, partId}));
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
            Execute(SqlFormat("UPDATE PartList SET Datasheet='%s', User='%s', Time_Stamp='%s' WHERE id=%i",
                              {source.fileName(), user, stamp, partId}));
        else
            transaction.fail();
    }
    if (!transaction.commit()) {
        ShowMessage(LastErrorText().isEmpty() ? TranslateLabel(QStringLiteral("The file could not be copied:"))
                                                    + QLatin1Char(' ') + values.datasheetPath
                                              : LastErrorText(),
                    QStringLiteral("Database Status"));
        return false;
    }
    return true;
}
