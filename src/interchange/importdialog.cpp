#include "interchange/importdialog.h"
#include "interchange/importbill.h"

#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "core/appstate.h"
#include "core/commandids.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/uppercase.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/serveraccess.h"
#include "grid/gridview.h"
#include "grid/smallgrid.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSettings>
#include <QTableWidget>

namespace {

constexpr int kTargetColumn = 2;

QSettings profile()
{
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
}

const QString kLastFolderKey = QStringLiteral("Import/LastFolder");

} // namespace

CImport::CImport(QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Import")));
    setFixedSize(880, 600);
    addPanel(QRect(5, 6, 870, 82), QString(), 8);
    addPanel(QRect(450, 92, 425, 300), QString(), 8);
    addPanel(QRect(5, 510, 870, 86), QString(), 8);
    m_mapping = LoadImportMapping(ImportMappingPath());

    m_fileButton = new CImageButton(Translate(QStringLiteral("File")), 0, 1018, this);
    m_fileButton->setGeometry(15, 14, 90, 30);
    m_fileName = new QLineEdit(this);
    m_fileName->setReadOnly(true);
    m_fileName->setGeometry(115, 17, 750, 24);
    m_sheets = new QComboBox(this);
    m_sheets->setObjectName(QStringLiteral("sheets"));
    m_sheets->setGeometry(565, 58, 300, 24);
    m_sheets->setToolTip(Translate(QStringLiteral("The sheet of the workbook that holds the bill")));
    m_sheets->hide();
    auto* assemblyLabel = new QLabel(TranslateLabel(QStringLiteral("Assembly Name:")), this);
    assemblyLabel->setGeometry(15, 58, 150, 24);
    m_assembly = new QLineEdit(this);
    m_assembly->setGeometry(170, 58, 260, 24);

    m_grid = new CSmallGrid(this);
    m_grid->setObjectName(QStringLiteral("mapping"));
    m_grid->setGeometry(10, 96, 430, 296);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(21);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->record().setColumns(
        {QStringLiteral("#"), Translate(QStringLiteral("Import")), Translate(QStringLiteral("Database"))},
        {QStringLiteral("READ"), QStringLiteral("READ"), m_mapping.choices()}, {36, 210, 160});
    m_grid->Fill();
    StyleSmallGrid(m_grid);
    m_grid->installEventFilter(this);

    auto* previewLabel = new QLabel(Translate(QStringLiteral("Preview")), this);
    QFont bold = previewLabel->font();
    bold.setBold(true);
    previewLabel->setFont(bold);
    previewLabel->setGeometry(462, 98, 300, 20);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setGeometry(462, 120, 404, 66);
    m_counts->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_counts->setWordWrap(true);
    m_lines = new QTableWidget(this);
    m_lines->setObjectName(QStringLiteral("lines"));
    m_lines->setGeometry(460, 188, 406, 196);
    m_lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lines->setSelectionMode(QAbstractItemView::NoSelection);
    m_lines->verticalHeader()->hide();
    m_lines->verticalHeader()->setDefaultSectionSize(20);
    m_lines->setColumnCount(5);
    m_lines->setHorizontalHeaderLabels({Translate(QStringLiteral("Item")), Translate(QStringLiteral("Part #")),
                                        Translate(QStringLiteral("Quan")), Translate(QStringLiteral("Ref Des")),
                                        Translate(QStringLiteral("Notes"))});
    for (const auto& [column, width] : {std::pair{0, 46}, {1, 160}, {2, 50}, {3, 96}, {4, 50}})
        m_lines->setColumnWidth(column, width);
    m_lines->horizontalHeader()->setStretchLastSection(true);
    StyleSmallGrid(m_lines);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setReadOnly(true);
    m_notes->setGeometry(10, 398, 865, 106);
    m_notes->setPlaceholderText(Translate(QStringLiteral("Notes and warnings of the preview")));

    m_processButton = new CImageButton(Translate(QStringLiteral("Process")), 0, 1020, this);
    // A read-only desk may read a file and look at its preview, not store it.
    m_processButton->setEnabled(!DeskReadOnly());
    m_processButton->setGeometry(15, 518, 110, 30);
    m_progress = new QProgressBar(this);
    m_progress->setGeometry(135, 524, 730, 20);
    m_progress->setTextVisible(false);
    StyleProgressBar(m_progress);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    auto* scannedLabel = new QLabel(TranslateLabel(QStringLiteral("Lines Scanned:")), this);
    scannedLabel->setGeometry(15, 554, 220, 18);
    m_scanned = new QLabel(QStringLiteral("0"), this);
    m_scanned->setGeometry(240, 554, 80, 18);
    auto* addedLabel = new QLabel(TranslateLabel(QStringLiteral("Valid Items Added:")), this);
    addedLabel->setGeometry(15, 574, 220, 18);
    m_added = new QLabel(QStringLiteral("0"), this);
    m_added->setGeometry(240, 574, 80, 18);
    m_addedMeaning = new QLabel(this);
    m_addedMeaning->setObjectName(QStringLiteral("addedMeaning"));
    m_addedMeaning->setGeometry(330, 574, 430, 18);
    auto* ok = new CImageButton(Translate(QStringLiteral("OK")), 0, 1, this);
    ok->setGeometry(775, 558, 90, 30);

    connect(m_fileButton, &CImageButton::clicked, this, &CImport::chooseFile);
    connect(m_processButton, &CImageButton::clicked, this, &CImport::process);
    connect(ok, &CImageButton::clicked, this, &QDialog::accept);
    // A changed target or assembly changes what would be stored.
    connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_filling && item->column() == kTargetColumn)
            updatePreview();
    });
    connect(m_assembly, &QLineEdit::editingFinished, this, &CImport::updatePreview);
    connect(m_sheets, &QComboBox::activated, this, &CImport::selectSheet);
}

bool CImport::eventFilter(QObject* watched, QEvent* event)
{
    // A row of the mapping grid is a column of the file: deleting it would
    // move every target below it onto the wrong column. Delete means "do
    // not use this column"; Insert adds nothing.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            const QList<int> rows = m_grid->selectedRowNumbers();
            for (int row : rows)
                if (QTableWidgetItem* item = m_grid->item(row, kTargetColumn)) {
                    m_grid->record().setCell(row, kTargetColumn, Translate(QStringLiteral("Not Used")));
                    item->setText(Translate(QStringLiteral("Not Used")));
                }
            return true;
        }
        if (key == Qt::Key_Insert)
            return true;
    }
    return CDarkDialog::eventFilter(watched, event);
}

QString CImport::startFolder()
{
    const QString last = profile().value(kLastFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return App().ProgramFolder + QStringLiteral("samples");
}

void CImport::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, Translate(QStringLiteral("Select Import File")), startFolder(),
        QStringLiteral("Bills of Materials (*.csv *.tsv *.txt *.bom *.xlsx *.xls *.ods);;All Files (*)"));
    if (path.isEmpty())
        return;
    profile().setValue(kLastFolderKey, QFileInfo(path).absolutePath());
    loadFile(path);
}

bool CImport::loadFile(const QString& path)
{
    ImportFile file;
    if (!file.load(path)) {
        ShowMessage(Format("%s\n%s", {Translate(QStringLiteral("The file cannot be read.")), QDir::toNativeSeparators(path)}),
                    Translate(QStringLiteral("Import")));
        return false;
    }
    if (!file.sheets().empty())
        ChooseImportSheet(file, m_mapping);
    const ImportHeader header = FindImportHeader(file, m_mapping);
    const QString problem = ImportFileProblemText(file, header);
    if (!problem.isEmpty()) {
        ShowMessage(Format("%s\n%s", {problem, QDir::toNativeSeparators(path)}), Translate(QStringLiteral("Import")));
        return false;
    }
    m_file = std::move(file);
    m_processed = false;
    m_fileName->setText(QDir::toNativeSeparators(path));
    m_sheets->clear();
    for (const ImportSheetInfo& sheet : m_file.sheets())
        m_sheets->addItem(Format("%s (%i %s%s)", {sheet.name, sheet.rows, Translate(QStringLiteral("rows")),
                                                 sheet.hidden ? QStringLiteral(", ") + Translate(QStringLiteral("hidden"))
                                                              : QString()}));
    m_sheets->setCurrentIndex(m_file.sheet());
    m_sheets->setVisible(!m_file.sheets().empty());
    readHeader();
    m_assembly->setText(AssemblyNameFromPath(path));
    m_progress->setValue(0);
    updatePreview();
    return true;
}

void CImport::selectSheet(int index)
{
    if (!m_file.selectSheet(index))
        return;
    m_sheets->setCurrentIndex(index);
    m_processed = false;
    readHeader();
    updatePreview();
}

void CImport::readHeader()
{
    m_header = FindImportHeader(m_file, m_mapping);
    m_proposed = m_header.targetNames(m_mapping);
    // A layout mapped by hand before maps the same way again.
    ApplyRememberedMapping(m_header, m_mapping);
    fillGrid();
}

void CImport::fillGrid()
{
    m_filling = true;
    SmallGridRecord& record = m_grid->record();
    record.setColumns(record.headings, record.attributes, record.widths);
    for (int c = 0; c < m_header.fields.size() && c < static_cast<int>(m_header.targets.size()); ++c) {
        const int target = m_header.targets[static_cast<size_t>(c)];
        record.appendRow({QString::number(c + 1), m_header.fields[c],
                          target >= 0 ? Translate(m_mapping.lines[static_cast<size_t>(target)].target)
                                      : Translate(QStringLiteral("Not Used"))});
    }
    m_grid->Fill();
    // Where the content overruled the header, the row says why.
    for (int c = 0; c < m_header.reasons.size() && c < m_grid->rowCount(); ++c)
        if (!m_header.reasons[c].isEmpty())
            for (int column = 0; column < m_grid->columnCount(); ++column)
                if (QTableWidgetItem* item = m_grid->item(c, column)) {
                    item->setToolTip(m_header.reasons[c]);
                    if (column == kTargetColumn)
                        item->setForeground(QColor(255, 214, 102));
                }
    m_filling = false;
}

QStringList CImport::columnTargets() const
{
    // The grid shows the targets as translated; the first target shown
    // that way is the one chosen, anything else (Not Used) maps nothing.
    const SmallGridRecord& record = m_grid->record();
    QStringList targets;
    for (int r = 0; r < record.rowCount; ++r) {
        const QString shown = record.cell(r, kTargetColumn);
        QString chosen;
        for (const ImportTarget& line : m_mapping.lines)
            if (Translate(line.target) == shown) {
                chosen = line.target;
                break;
            }
        targets << chosen;
    }
    return targets;
}

void CImport::updatePreview()
{
    if (!m_file.loaded() || m_header.line < 0)
        return;
    ImportOptions options;
    options.columnNames = m_header.fields;
    m_preview = PreviewImport(m_file, m_header.line + 1, columnTargets(), m_assembly->text(), options);
    m_previewAssembly = UpperCaseName(m_assembly->text().trimmed());
    const auto pieces = QString::number(m_preview.pieces, 'g', 12);
    QStringList counts;
    counts << Format("%s %i    %s %s    %s %i",
                     {TranslateLabel(QStringLiteral("Lines:")), m_preview.lines,
                      TranslateLabel(QStringLiteral("pieces:")), pieces,
                      TranslateLabel(QStringLiteral("DNP lines:")), m_preview.dnpLines});
    counts << Format("%s %i    %s %i", {TranslateLabel(QStringLiteral("New parts:")), m_preview.newParts,
                                        TranslateLabel(QStringLiteral("existing parts:")), m_preview.existingParts});
    counts << Format("%s %i    %s %i", {TranslateLabel(QStringLiteral("new vendors:")), m_preview.newVendors,
                                        TranslateLabel(QStringLiteral("Warnings:")),
                                        static_cast<int>(m_preview.warnings.size())});
    if (m_preview.existingLines > 0)
        counts << Format(qPrintable(Translate(QStringLiteral("%s has %i lines already"))),
                         {UpperCaseName(m_assembly->text().trimmed()), m_preview.existingLines});
    m_counts->setText(counts.join(QLatin1Char('\n')));

    m_lines->setRowCount(static_cast<int>(m_preview.first.size()));
    for (int r = 0; r < static_cast<int>(m_preview.first.size()); ++r) {
        const ImportLine& line = m_preview.first[static_cast<size_t>(r)];
        const QStringList cells{line.item, line.partNumber, line.quantity, line.designators, line.notes};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            m_lines->setItem(r, c, item);
        }
    }

    QStringList notes;
    if (!m_file.sheets().empty())
        notes << ImportSheetsText(m_file).trimmed().split(QLatin1Char('\n'));
    if (m_preview.refused > 0)
        notes << Format("%s %i", {TranslateLabel(QStringLiteral("Lines refused:")), m_preview.refused});
    for (int c = 0; c < m_header.reasons.size(); ++c)
        if (!m_header.reasons[c].isEmpty())
            notes << Format("%s %i \"%s\": %s", {Translate(QStringLiteral("Column")), c + 1, m_header.fields.value(c),
                                                 m_header.reasons[c]});
    for (const QString& note : m_header.notes + m_preview.notes)
        if (!notes.contains(note))
            notes << note;
    notes += m_preview.warnings;
    m_notes->setPlainText(notes.join(QLatin1Char('\n')));
}

QString CImport::previewCounts() const
{
    return m_counts->text();
}

QString CImport::previewNotes() const
{
    return m_notes->toPlainText();
}

void CImport::showCounters(int scanned, int added)
{
    m_scanned->setText(QString::number(scanned));
    m_added->setText(QString::number(added));
}

QString CImport::countersText() const
{
    return m_scanned->text() + QLatin1Char('/') + m_added->text();
}

QString CImport::replaceChangesText() const
{
    // A replace is easier to agree to when its changes are in front of the
    // user; a long list is cut so the question still fits the screen.
    const QString changes = ImportReplaceChangesText(m_file, m_header.line + 1, columnTargets(), m_header.fields,
                                                     m_assembly->text(), 20);
    return TranslateLabel(QStringLiteral("Changes:")) + QLatin1Char('\n')
           + (changes.isEmpty() ? Translate(QStringLiteral("none")) + QLatin1Char('\n') : changes);
}

void CImport::process()
{
    if (!m_file.loaded()) {
        ShowMessage(Translate(QStringLiteral("Valid Import File must be loaded before processing")));
        return;
    }
    // The file has been read to its end, as the dialog has always left it.
    if (m_processed)
        return;
    m_grid->Commit();
    // The bill the user looked at in the preview is the one a replace
    // takes the place of: another desk's change since is shown first.
    const BillSnapshot shown = m_preview.bill;
    const QString shownAssembly = m_previewAssembly;
    updatePreview();
    if (shown.read && m_preview.bill.read && shownAssembly == UpperCaseName(m_assembly->text().trimmed())
        && shown.digest != m_preview.bill.digest && m_preview.existingLines > 0) {
        ShowMessage(BillChangedText(shownAssembly, shown, m_preview.bill) + QLatin1Char('\n')
                        + Translate(QStringLiteral("The preview shows it as it is now.")),
                    Translate(QStringLiteral("Import")));
        return;
    }
    if (m_preview.lines == 0) {
        // Rows and no part: never an empty import reported as done. The
        // user is shown the columns and asked which one names the part.
        ShowMessage(Translate(QStringLiteral("No line of the file names a part. Which column names the part?"))
                        + QLatin1Char('\n') + ImportColumnsText(m_file, m_header) + QLatin1Char('\n')
                        + Translate(QStringLiteral("Set its target to Value, Part or Mfr Part in the grid, then Process.")),
                    Translate(QStringLiteral("Import")));
        return;
    }
    ImportOptions options;
    options.columnNames = m_header.fields;
    if (m_preview.existingLines > 0
        && ImportRepeatsAssembly(m_file, m_header.line + 1, columnTargets(), m_header.fields, m_assembly->text())) {
        // The same file once more: adding it would double the bill.
        if (ShowMessage(ImportRepeatText(m_assembly->text()) + QLatin1Char('\n')
                            + Translate(QStringLiteral("Import it again anyway?")),
                        Translate(QStringLiteral("Import")), kButtonsYesNo)
            != kAnswerYes)
            return;
        options.again = true;
    } else if (m_preview.existingLines > 0) {
        // A new revision of a bill usually replaces the old one; adding to
        // it stays possible.
        const int answer = ShowMessage(
            Format(qPrintable(Translate(
                       QStringLiteral("%s already has %i lines. Replace them with the lines of this file?"))),
                   {UpperCaseName(m_assembly->text().trimmed()), m_preview.existingLines})
                + QLatin1Char('\n') + replaceChangesText()
                + Translate(QStringLiteral("No adds the lines of this file to them.")),
            Translate(QStringLiteral("Import")), kButtonsYesNoCancel);
        if (answer == kAnswerCancel)
            return;
        options.replace = answer == kAnswerYes;
        // What the question showed is what the replace may take away.
        options.loadedBill = m_preview.bill;
    }
    // The bar counts characters; very long files are scaled to what the
    // control can count.
    const qint64 length = std::max<qint64>(m_file.length(), 1);
    const int scale = static_cast<int>(length / 1000000000 + 1);
    m_progress->setRange(0, static_cast<int>(length / scale));
    m_processButton->setEnabled(false);
    m_fileButton->setEnabled(false);

    QElapsedTimer sinceRedraw;
    sinceRedraw.start();
    const ImportOutcome outcome = ProcessImport(
        m_file, m_header.line + 1, columnTargets(), m_assembly->text(),
        [&](const ImportOutcome& sofar, qint64 position) {
            // Redrawing every line would cost more than importing it.
            if (sinceRedraw.elapsed() < 50 && position < length)
                return;
            sinceRedraw.restart();
            showCounters(m_scannedTotal + sofar.scanned, m_addedTotal + sofar.added);
            m_progress->setValue(static_cast<int>(position / scale));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        },
        options);
    m_scannedTotal += outcome.scanned;
    m_addedTotal += outcome.added;
    showCounters(m_scannedTotal, m_addedTotal);
    // The count alone mixes bill lines and part records.
    m_addedMeaning->setText(QLatin1Char('(') + ImportAddedMeaning(outcome) + QLatin1Char(')'));
    m_progress->setValue(m_progress->maximum());
    m_processed = outcome.stored;
    // Refused for another desk's change: the preview shows the bill as it is.
    if (outcome.stale)
        updatePreview();
    if (outcome.stored) {
        // Targets the user chose are kept for the next file of this layout.
        const QStringList targets = columnTargets();
        if (targets != m_proposed)
            RememberImportMapping(m_header.fields, targets);
        m_changed = true;
        m_importedAssembly = UpperCaseName(m_assembly->text().trimmed());
    }
    m_processButton->setEnabled(!DeskReadOnly());
    m_fileButton->setEnabled(true);
}

void ShowImportedAssembly(QWidget* mainWindow, const QString& assembly)
{
    App().TreeRebuildFlag = true;
    if (!mainWindow || assembly.isEmpty())
        return;
    // The main window shows a table when its grid asks for one; the grid
    // loads the bill of its current assembly.
    CGridView* grid = mainWindow->findChild<CGridView*>();
    if (!grid)
        return;
    grid->model().currentAssembly = assembly;
    if (CurrentTable() == AssyList)
        grid->Reload();
    else
        Q_EMIT grid->parentCommand(kCmdShowAssyList);
}
