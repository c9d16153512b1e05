#include "interchange/importdialog.h"

#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "grid/smallgrid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

constexpr int kTargetColumn = 2;

} // namespace

CImport::CImport(QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Import")));
    setFixedSize(510, 400);
    addPanel(QRect(5, 6, 500, 82), QString(), 8);
    addPanel(QRect(5, 298, 500, 98), QString(), 8);
    m_mapping = LoadImportMapping(ImportMappingPath());

    m_fileButton = new CImageButton(Translate(QStringLiteral("File")), 0, 1018, this);
    m_fileButton->setGeometry(15, 14, 80, 30);
    m_fileName = new QLineEdit(this);
    m_fileName->setReadOnly(true);
    m_fileName->setGeometry(105, 17, 390, 24);
    auto* assemblyLabel = new QLabel(TranslateLabel(QStringLiteral("Assembly Name:")), this);
    assemblyLabel->setGeometry(15, 58, 130, 24);
    m_assembly = new QLineEdit(this);
    m_assembly->setGeometry(150, 58, 230, 24);

    m_grid = new CSmallGrid(this);
    m_grid->setObjectName(QStringLiteral("mapping"));
    m_grid->setGeometry(10, 90, 490, 200);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(21);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->record().setColumns(
        {QStringLiteral("#"), Translate(QStringLiteral("Import")), Translate(QStringLiteral("Database"))},
        {QStringLiteral("READ"), QStringLiteral("READ"), m_mapping.choices()}, {40, 230, 200});
    m_grid->Fill();
    StyleSmallGrid(m_grid);

    m_processButton = new CImageButton(Translate(QStringLiteral("Process")), 0, 1020, this);
    m_processButton->setGeometry(15, 305, 80, 30);
    m_progress = new QProgressBar(this);
    m_progress->setGeometry(105, 311, 390, 20);
    m_progress->setTextVisible(false);
    StyleProgressBar(m_progress);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    auto* scannedLabel = new QLabel(TranslateLabel(QStringLiteral("Lines Scanned:")), this);
    scannedLabel->setGeometry(15, 344, 130, 20);
    m_scanned = new QLabel(QStringLiteral("0"), this);
    m_scanned->setGeometry(145, 344, 70, 20);
    auto* addedLabel = new QLabel(TranslateLabel(QStringLiteral("Valid Items Added:")), this);
    addedLabel->setGeometry(15, 366, 130, 20);
    m_added = new QLabel(QStringLiteral("0"), this);
    m_added->setGeometry(145, 366, 70, 20);
    auto* ok = new CImageButton(Translate(QStringLiteral("OK")), 0, 1, this);
    ok->setGeometry(405, 358, 90, 30);

    connect(m_fileButton, &CImageButton::clicked, this, &CImport::chooseFile);
    connect(m_processButton, &CImageButton::clicked, this, &CImport::process);
    connect(ok, &CImageButton::clicked, this, &QDialog::accept);
}

void CImport::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, Translate(QStringLiteral("Select Import File")),
                                                      QString(),
                                                      QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (!path.isEmpty())
        loadFile(path);
}

bool CImport::loadFile(const QString& path)
{
    ImportFile file;
    if (!file.load(path)) {
        ShowMessage(path, Translate(QStringLiteral("Import")));
        return false;
    }
    m_file = file;
    m_fileName->setText(path);
    m_header = FindImportHeader(m_file, m_mapping);
    m_nextLine = m_header.line + 1;
    fillGrid();
    m_assembly->setText(AssemblyNameFromPath(path));
    m_progress->setValue(0);
    return true;
}

void CImport::fillGrid()
{
    SmallGridRecord& record = m_grid->record();
    record.setColumns(record.headings, record.attributes, record.widths);
    for (size_t r = 0; r < static_cast<size_t>(m_header.fields.size()) && r < m_header.targets.size(); ++r) {
        const int target = m_header.targets[r];
        record.appendRow({QString::number(r + 1), m_header.fields[static_cast<qsizetype>(r)],
                          target >= 0 ? Translate(m_mapping.lines[static_cast<size_t>(target)].target)
                                      : Translate(QStringLiteral("Not Used"))});
    }
    m_grid->Fill();
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

void CImport::showCounters(int scanned, int added)
{
    m_scanned->setText(QString::number(scanned));
    m_added->setText(QString::number(added));
}

QString CImport::countersText() const
{
    return m_scanned->text() + QLatin1Char('/') + m_added->text();
}

void CImport::process()
{
    if (!m_file.loaded()) {
        ShowMessage(Translate(QStringLiteral("Valid Import File must be loaded before processing")));
        return;
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
        m_file, m_nextLine, columnTargets(), m_assembly->text(),
        [&](const ImportOutcome& sofar, qint64 position) {
            // Redrawing every line would cost more than importing it.
            if (sinceRedraw.elapsed() < 50 && position < length)
                return;
            sinceRedraw.restart();
            showCounters(m_scannedTotal + sofar.scanned, m_addedTotal + sofar.added);
            m_progress->setValue(static_cast<int>(position / scale));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    m_scannedTotal += outcome.scanned;
    m_addedTotal += outcome.added;
    showCounters(m_scannedTotal, m_addedTotal);
    m_progress->setValue(m_progress->maximum());
    // The file has been read to its end, as the dialog has always left it.
    m_nextLine = m_file.lineCount();
    m_changed = m_changed || outcome.added > 0 || outcome.vendors > 0;
    m_processButton->setEnabled(true);
    m_fileButton->setEnabled(true);
}
