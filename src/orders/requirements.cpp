#include "orders/requirements.h"

#include "bom/explosion.h"
#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "controls/printjob.h"
#include "core/appstate.h"
#include "core/dates.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "core/windowhooks.h"
#include "db/database.h"
#include "db/parts.h"
#include "db/production.h"
#include "db/requirements.h"
#include "db/serveraccess.h"
#include "orders/completion.h"
#include "orders/purchasingpreview.h"
#include "schedule/routingprint.h"
#include "schedule/schedule.h"

#include <QBitmap>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>



CRequirements::CRequirements(const QString& orderNumber, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Order")));
    ApplyDarkLook(this);
    m_record = LoadRequirement(orderNumber);

    auto* select = new QGroupBox(Translate(QStringLiteral("Select")));
    auto* generate = new QGroupBox(Translate(QStringLiteral("Generate Purchase Orders")));
    auto* build = new QGroupBox(Translate(QStringLiteral("Build")));
    auto* closeCancel = new QGroupBox(Translate(QStringLiteral("Close Cancel")));
    QGroupBox* boxes[4] = {select, generate, build, closeCancel};
    for (int i = 0; i < 4; ++i) {
        m_stageIcons[i] = new QLabel(boxes[i]);
        m_stageIcons[i]->setGeometry(4, 0, 32, 32);
    }

    m_order = new QLineEdit(m_record.orderNumber);
    m_order->setEnabled(false);
    m_description = new QLineEdit(m_record.description);
    m_quantity = new QLineEdit(m_record.quantity);
    m_quantity->setObjectName(QStringLiteral("quantity"));
    m_needDate = new QLineEdit(m_record.needDate);
    m_needDate->setObjectName(QStringLiteral("needDate"));
    m_needDate->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    m_tree = new QTreeWidget;
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumHeight(160);
    m_assemblyLabel = new QLabel(m_record.assembly);
    auto* selectLayout = new QGridLayout(select);
    selectLayout->setContentsMargins(12, 24, 12, 10);
    selectLayout->addWidget(new QLabel(TranslateLabel(QStringLiteral("Order:"))), 0, 0);
    selectLayout->addWidget(m_order, 0, 1);
    selectLayout->addWidget(new QLabel(TranslateLabel(QStringLiteral("Description:"))), 1, 0);
    selectLayout->addWidget(m_description, 1, 1);
    selectLayout->addWidget(new QLabel(TranslateLabel(QStringLiteral("Quantity:"))), 2, 0);
    selectLayout->addWidget(m_quantity, 2, 1);
    selectLayout->addWidget(new QLabel(TranslateLabel(QStringLiteral("Need Date:"))), 3, 0);
    selectLayout->addWidget(m_needDate, 3, 1);
    selectLayout->addWidget(m_tree, 4, 0, 1, 2);
    selectLayout->addWidget(m_assemblyLabel, 5, 0, 1, 2);

    m_process = new CImageButton(Translate(QStringLiteral("Process")), 0, 1020, nullptr);
    m_preview = new CImageButton(Translate(QStringLiteral("Preview")), 0, 1025, nullptr);
    m_process->setObjectName(QStringLiteral("process"));
    m_preview->setObjectName(QStringLiteral("preview"));
    auto* generateLayout = new QHBoxLayout(generate);
    generateLayout->setContentsMargins(44, 24, 12, 10);
    // Prices and stock from the distributors before the plan is looked at.
    if (HasWindowAction(WindowActions::RefreshSources)) {
        auto* refresh = new CImageButton(Translate(QStringLiteral("Refresh")), 0, 1026, nullptr);
        m_refresh = refresh;
        refresh->setObjectName(QStringLiteral("refreshSources"));
        refresh->setToolTip(Translate(QStringLiteral("Refreshes the sources of the bill's parts from the distributors")));
        connect(refresh, &CImageButton::clicked, this, [this] {
            if (!m_record.assembly.isEmpty())
                RunWindowAction(WindowActions::RefreshSources, this, {QStringLiteral("--assy"), m_record.assembly});
        });
        generateLayout->addWidget(refresh);
    }
    generateLayout->addWidget(m_preview);
    generateLayout->addWidget(m_process);
    auto* timeline = new CImageButton(Translate(QStringLiteral("Timeline")), 0, 1021, nullptr);
    auto* routing = new CImageButton(Translate(QStringLiteral("Print Routing")), 0, 1022, nullptr);
    auto* buildLayout = new QHBoxLayout(build);
    buildLayout->setContentsMargins(44, 24, 12, 10);
    buildLayout->addWidget(timeline);
    buildLayout->addWidget(routing);
    m_complete = new CImageButton(Translate(QStringLiteral("Close Order")), 0, 1023, nullptr);
    m_cancel = new CImageButton(Translate(QStringLiteral("Cancel Order")), 0, 1024, nullptr);
    m_complete->setObjectName(QStringLiteral("closeOrder"));
    m_cancel->setObjectName(QStringLiteral("cancelOrder"));
    // Empty completes all that is still open; fewer units leave the rest open.
    m_completeQuantity = new QLineEdit;
    m_completeQuantity->setObjectName(QStringLiteral("completeQuantity"));
    m_completeQuantity->setMaximumWidth(90);
    m_built = new QLabel;
    m_built->setObjectName(QStringLiteral("built"));
    auto* completeColumn = new QVBoxLayout;
    completeColumn->addWidget(new QLabel(TranslateLabel(QStringLiteral("Quantity to complete:"))));
    completeColumn->addWidget(m_completeQuantity);
    completeColumn->addWidget(m_built);
    auto* closeLayout = new QHBoxLayout(closeCancel);
    closeLayout->setContentsMargins(44, 24, 12, 10);
    closeLayout->addLayout(completeColumn);
    closeLayout->addWidget(m_complete);
    closeLayout->addWidget(m_cancel);

    m_picture = new QLabel;
    m_picture->setFixedSize(220, 220);
    m_picture->setFrameShape(QFrame::Box);
    m_picture->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_status = new QLabel;
    auto* ok = new CImageButton(Translate(QStringLiteral("OK")), 0, 1, nullptr);
    ok->setObjectName(QStringLiteral("ok"));
    m_ok = ok;

    auto* left = new QVBoxLayout;
    for (QGroupBox* box : boxes)
        left->addWidget(box);
    auto* right = new QVBoxLayout;
    right->addWidget(m_picture);
    right->addStretch();
    right->addWidget(ok);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    // Alternates' stock is taken only when the planner asks for it.
    m_useAlternates = new QCheckBox(Translate(QStringLiteral("Use alternates' stock for short parts")));
    m_useAlternates->setObjectName(QStringLiteral("useAlternates"));
    main->addWidget(m_useAlternates);
    main->addWidget(m_progress);
    main->addWidget(m_status);

    showBuilt();
    fillTree();
    m_tree->clearSelection();
    m_tree->setCurrentItem(nullptr);
    evaluateStage();
    updatePicture();

    connect(m_process, &CImageButton::clicked, this, &CRequirements::process);
    connect(m_preview, &CImageButton::clicked, this, &CRequirements::preview);
    connect(timeline, &CImageButton::clicked, this, &CRequirements::openTimeline);
    connect(routing, &CImageButton::clicked, this, &CRequirements::printRouting);
    connect(m_complete, &CImageButton::clicked, this, &CRequirements::completeOrder);
    connect(m_cancel, &CImageButton::clicked, this, &CRequirements::cancelOrder);
    connect(ok, &CImageButton::clicked, this, &CRequirements::saveAndClose);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!selectedAssembly().isEmpty()) {
            m_record.assembly = selectedAssembly();
            m_assemblyLabel->setText(m_record.assembly);
            updatePicture();
        }
    });
    resize(640, 640);
}

void CRequirements::fillTree()
{
    // Only the top-level assemblies at first: a product shared along many
    // paths would otherwise be listed (and held) once per path.
    m_graph.load();
    for (const QString& name : m_graph.topLevel()) {
        auto* root = new QTreeWidgetItem(m_tree, {name});
        if (!m_graph.subAssemblies(name).isEmpty())
            root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    connect(m_tree, &QTreeWidget::itemExpanded, this, &CRequirements::fillBranch);
}

void CRequirements::fillBranch(QTreeWidgetItem* item)
{
    if (item->childCount() > 0)
        return;
    QStringList path;
    for (const QTreeWidgetItem* above = item; above; above = above->parent())
        path << above->text(0);
    for (const QString& child : m_graph.subAssemblies(item->text(0))) {
        // A line that leads back into its own path is left out.
        if (path.contains(child))
            continue;
        auto* line = new QTreeWidgetItem(item, {child});
        if (!m_graph.subAssemblies(child).isEmpty())
            line->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CRequirements::evaluateStage()
{
    m_stage = OrderStage(m_record.status);
    // A read-only desk looks at the requirement and its preview; every
    // command that would write is off.
    const bool writable = !DeskReadOnly();
    const bool open = m_stage < 1;
    m_tree->setEnabled(open && writable);
    m_quantity->setEnabled(open && writable);
    m_process->setEnabled(open && writable);
    m_preview->setEnabled(open);
    // A complete or cancelled requirement has nothing left to close or cancel.
    m_complete->setEnabled(m_stage < 3 && writable);
    m_cancel->setEnabled(m_stage < 3 && writable);
    m_completeQuantity->setEnabled(m_stage >= 1 && m_stage < 3 && writable);
    m_needDate->setEnabled(m_stage < 3 && writable);
    m_description->setEnabled(writable);
    if (m_ok)
        m_ok->setEnabled(writable);
    if (m_refresh)
        m_refresh->setEnabled(writable);
    const int images[4] = {3, m_stage == 0 ? 2 : 3, m_stage == 1 ? 2 : (m_stage >= 2 ? 3 : 0),
                           m_stage == 2 ? 2 : (m_stage >= 3 ? 3 : 0)};
    for (int i = 0; i < 4; ++i)
        m_stageIcons[i]->setPixmap(images[i] ? StageIcon(images[i]).pixmap(32, 32) : QPixmap());
    update();
}

QString CRequirements::selectedAssembly() const
{
    const QList<QTreeWidgetItem*> items = m_tree->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text(0);
}

void CRequirements::updatePicture()
{
    QPixmap shown;
    if (!m_record.assembly.isEmpty()) {
        QString name = ReadPartRecord(m_record.assembly).picture;
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        name = name.section(QLatin1Char('/'), -1);
        if (!name.isEmpty()) {
            QImageReader reader(App().DataFolder + QStringLiteral("/Picture/") + name);
            QImage image = reader.read();
            if (!image.isNull()) {
                QPixmap pixmap = QPixmap::fromImage(image.scaled(m_picture->size(), Qt::IgnoreAspectRatio,
                                                                 Qt::SmoothTransformation));
                // The light grey of the drawings is their background.
                pixmap.setMask(pixmap.createMaskFromColor(QColor(224, 224, 224)));
                shown = pixmap;
            }
        }
    }
    m_picture->setPixmap(shown);
}

bool CRequirements::readQuantity(double* quantity)
{
    // Empty, zero or no number at all is the old "No Quantity Entered";
    // anything else that is not a plain positive number is named.
    const QString text = m_quantity->text();
    static const QRegularExpression nonZeroDigit(QStringLiteral("[1-9]"));
    if (text.trimmed().isEmpty() || (TextToDouble(text) == 0 && !text.contains(nonZeroDigit))) {
        ShowMessage(QStringLiteral("No Quantity Entered"));
        return false;
    }
    QString error;
    if (!ParseQuantity(text, kMaxRequirementQuantity, quantity, &error)) {
        ShowMessage(error);
        return false;
    }
    return true;
}

bool CRequirements::readNeedDate(QString* iso)
{
    const QString typed = m_needDate->text().trimmed();
    if (typed.isEmpty()) {
        iso->clear();
        return true;
    }
    const QDate date = ParseUserDate(typed);
    if (!date.isValid()) {
        ShowMessage(TranslateLabel(QStringLiteral("Not a date:")) + QLatin1Char(' ') + typed);
        return false;
    }
    *iso = IsoDate(date);
    m_needDate->setText(*iso);
    return true;
}

void CRequirements::showBuilt()
{
    const RequirementBuild build = ReadRequirementBuild(m_record.orderNumber);
    m_built->setText(build.built > 0 ? Format("%s %s / %s", {Translate(QStringLiteral("Built")), PlainNumber(build.built),
                                                             PlainNumber(build.quantity)})
                                     : QString());
}

void CRequirements::preview()
{
    if (!selectedAssembly().isEmpty())
        m_record.assembly = selectedAssembly();
    double quantity = 0;
    if (!readQuantity(&quantity))
        return;
    QString needDate;
    if (!readNeedDate(&needDate))
        return;
    const ProcessOutcome outcome = PreviewProcess(m_record.orderNumber, quantity, m_record.assembly, m_useAlternates->isChecked());
    if (!outcome.done)
        return;
    // Window-modal: the Order dialog stays as it was underneath.
    auto* dialog = new CPurchasingPreview(m_record.orderNumber, m_record.assembly, quantity, outcome.plan, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!needDate.isEmpty()) {
        const int late =
            PreviewLateDays(m_record.assembly, quantity, StoredDate(needDate), QDateTime::currentDateTime());
        dialog->setScheduleNote(TranslateLabel(QStringLiteral("Need Date:")) + QLatin1Char(' ') + needDate
                                + QStringLiteral("  ")
                                + (late > 0 ? Translate(QStringLiteral("Late")) + QStringLiteral(": ") + LateText(late)
                                            : Translate(QStringLiteral("on time"))));
    }
    dialog->open();
}

void CRequirements::process()
{
    if (!selectedAssembly().isEmpty())
        m_record.assembly = selectedAssembly();
    double quantity = 0;
    if (!readQuantity(&quantity))
        return;
    // Process places the work back from the need date: it is stored first.
    QString needDate;
    if (!readNeedDate(&needDate))
        return;
    if (needDate != m_record.needDate) {
        if (!SetRequirementNeedDate(m_record.orderNumber, needDate)) {
            ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:"))
                            + QLatin1Char('\n') + LastErrorText(),
                        QStringLiteral("Database Status"));
            return;
        }
        m_record.needDate = needDate;
        // This desk's own change: OK compares with the record as it now is.
        m_record.loaded =
            ReadRecordSnapshot(QStringLiteral("ReqmList"), {{QStringLiteral("Order_nBr"), m_record.orderNumber}});
    }
    m_status->setText(QStringLiteral("Add flat bills to list....."));
    // The finished bar and the last order's line are on view while the
    // closing message is read.
    const auto showFinished = [this](const ProcessOutcome& finished) {
        m_progress->setRange(0, std::max<int>(1, static_cast<int>(finished.flatList.size()) + 1));
        m_progress->setValue(m_progress->maximum());
        m_status->setText(finished.batch.statusLine);
    };
    const ProcessOutcome outcome =
        ProcessRequirement(m_record.orderNumber, quantity, m_record.assembly, showFinished, ProcessMode::Write,
                           m_useAlternates->isChecked());
    if (!outcome.done) {
        m_progress->setValue(0);
        m_status->clear();
    }
    // The stage is evaluated again at once: "Process" cannot run twice.
    // What is stored now is shown when this desk or another processed it,
    // so that OK compares with the record as it is; a refusal for a reason
    // of this desk's own keeps what was typed.
    if (outcome.done || storedChanged())
        showStoredRecord();
}

bool CRequirements::storedChanged() const
{
    bool read = true;
    const RecordSnapshot now =
        ReadRecordSnapshot(QStringLiteral("ReqmList"), {{QStringLiteral("Order_nBr"), m_record.orderNumber}}, &read);
    return read && !SameRecord(m_record.loaded, now);
}

void CRequirements::showStoredRecord()
{
    m_record = LoadRequirement(m_record.orderNumber);
    m_description->setText(m_record.description);
    m_quantity->setText(m_record.quantity);
    m_needDate->setText(m_record.needDate);
    m_assemblyLabel->setText(m_record.assembly);
    m_tree->clearSelection();
    showBuilt();
    evaluateStage();
    updatePicture();
}

void CRequirements::completeOrder()
{
    double quantity = 0;
    const QString typed = m_completeQuantity->text().trimmed();
    QString error;
    if (!typed.isEmpty() && !ParseQuantity(typed, kMaxRequirementQuantity, &quantity, &error)) {
        ShowMessage(error);
        return;
    }
    if (!CompleteOrder(m_record.orderNumber, quantity)) {
        if (storedChanged())
            showStoredRecord();
        return;
    }
    m_record = LoadRequirement(m_record.orderNumber);
    // A part completed leaves the dialog open on the rest.
    if (OrderStage(m_record.status) >= 3) {
        QDialog::accept();
        return;
    }
    m_completeQuantity->clear();
    showBuilt();
    evaluateStage();
}

void CRequirements::cancelOrder()
{
    if (CancelOrder(m_record.orderNumber))
        QDialog::accept();
    else if (storedChanged())
        showStoredRecord();
}

void CRequirements::saveAndClose()
{
    m_record.description = m_description->text();
    m_record.quantity = m_quantity->text();
    // A need date that is no date is said and the stored one kept.
    QString needDate;
    if (readNeedDate(&needDate))
        m_record.needDate = needDate;
    if (!selectedAssembly().isEmpty())
        m_record.assembly = selectedAssembly();
    // A record another desk changed meanwhile is shown again as it is now,
    // and the dialog stays open on it; any other refusal closes it all the
    // same (Esc must always leave it), said, not passed over.
    bool stale = false;
    const bool saved = SaveRequirement(m_record, &stale);
    if (stale) {
        showStoredRecord();
        return;
    }
    if (!saved)
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:"))
                        + QLatin1Char('\n') + LastErrorText(),
                    QStringLiteral("Database Status"));
    QDialog::accept();
}

void CRequirements::reject()
{
    saveAndClose();
}

void CRequirements::openTimeline()
{
    RunWindowAction(WindowActions::Timeline, this, {m_record.orderNumber});
}

void CRequirements::printRouting()
{
    PrintJob job;
    job.documentName = RoutingDocumentName(m_record.orderNumber);
    job.pdfMarginMm = 12;
    const QString order = m_record.orderNumber;
    job.paint = [&order](QPagedPaintDevice& device) {
        return PaintRouting(&device, order, QDateTime::currentDateTime()) > 0;
    };
    RunPrintJob(this, job);
}
