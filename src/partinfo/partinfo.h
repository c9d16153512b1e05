#pragma once
// The work of the online part information: searching the service, fetching
// a match's datasheet, and writing chosen values into a part's row.
#include "partinfo/partreader.h"

#include <QString>
#include <vector>

// The search for text; empty when nothing matched or the service could not
// be reached (the user has been told; reached, when given, says which).
std::vector<PartMatch> SearchParts(const QString& serviceAddress, const QString& searchText,
                                   bool* reached = nullptr);

// The file name a part's datasheet is saved under: the part number with "/"
// as "-", followed by the last four characters of the datasheet's URL (its
// ".pdf"). Separators and dot names are replaced, so the name always stays a
// single name inside the Document folder.
QString DatasheetFileName(const QString& partNumber, const QString& datasheetUrl);

struct PartDatasheet
{
    bool fetched = false; // the detail answer arrived
    QString imageUrl;
    QString datasheetUrl;
    QString path; // the saved file; empty when nothing was saved
};

// The detail of a match, and its first datasheet saved into the data
// folder's Document folder.
PartDatasheet FetchPartDatasheet(const QString& serviceAddress, const QString& uid, const QString& partNumber);

// The detail values the user may carry into the part's row.
struct PartInfoTransfer
{
    bool description = false;
    bool price = false;
    bool manufacturer = false;
    bool website = false;
    QString descriptionText;
    QString priceText; // as shown: amount directly followed by the currency
    QString manufacturerText;
    QString websiteText;
    // Where the part is bought and under which number; a distributor not
    // yet among the vendors is added to them.
    bool distributor = false;
    bool orderCode = false;
    QString distributorText;
    QString orderCodeText;
    // A downloaded datasheet: copied into the document folder and named in
    // the part's Datasheet cell, as attaching it in the grid would.
    bool datasheet = false;
    QString datasheetPath;
    // The part number of the match the values come from; when it is not the
    // row's own, the user is asked before anything is written.
    QString matchPartNumber;
};

// The part number of PartList row partId; empty when the row is gone.
QString PartNumberOfRow(int partId);

// Writes the chosen values into PartList row partId, stamped with the user
// and the time, all or nothing. Tells the user and returns false when there
// is nothing to write, the row is gone, the user declines writing another
// part's values or the database refuses. partNumber, when given, receives
// the number of the part written.
bool TransferPartInfo(int partId, const PartInfoTransfer& values, QString* partNumber = nullptr);
