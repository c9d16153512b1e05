#pragma once
// "Electronic Part Information": the matches the part service finds for a
// part number, the detail of the clicked match and its datasheet, and the
// transfer of chosen values into the part's row.
#include "controls/dialogstyle.h"
#include "partinfo/offers.h"
#include "partinfo/partreader.h"

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;
class COffersTable;

class CEPartInfo : public CDarkDialog
{
    Q_OBJECT
public:
    // partId: the PartList row that "Transfer" writes to (0: none).
    CEPartInfo(QWidget* parent, const QString& searchText, int partId,
               const QString& serviceAddress = QString());

    // Searches the service for the text in the search field and fills the
    // match list; the dialog does this once when it opens.
    void search();
    // What a click on match row `row` does: the detail and the datasheet.
    void showMatch(int row);
    // "Transfer": the offer selected in the offers list as a source of the
    // part; without one, the checked detail values into the part's row.
    bool transfer();
    bool transferOffer(const Offer& offer);
    void readPdf();

    // The service's answers, when the Setup option shows them, in a
    // scrolling box of their own (the default), or through the interface in
    // force like any message.
    void setScrollingResponses(bool scrolling) { m_scrollingResponses = scrolling; }

    // True once values were written into the part's row.
    bool changedData() const { return m_changed; }
    QString datasheetPath() const { return m_datasheetPath; }
    QTableWidget* matchList() const { return m_matches; }
    QTableWidget* detailList() const { return m_details; }
    COffersTable* offerList() const { return m_offers; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpLists();
    void fillMatches(const std::vector<PartMatch>& matches);

    QString m_serviceAddress;
    int m_partId = 0;
    bool m_searchedOnOpen = false;
    bool m_changed = false;
    bool m_scrollingResponses = true;
    QString m_datasheetPath;
    QLineEdit* m_searchText = nullptr;
    QTableWidget* m_matches = nullptr;
    QTableWidget* m_details = nullptr;
    COffersTable* m_offers = nullptr;
    QLabel* m_status = nullptr;
};

