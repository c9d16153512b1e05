#pragma once
// The Import dialog: pick a bill-of-materials file, check the proposed
// mapping of its columns and the preview of what will be stored, and import
// every line as a BOM line of one assembly.
#include "controls/dialogstyle.h"
#include "interchange/importer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTableWidget;
class CImageButton;
class CSmallGrid;

class CImport : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CImport(QWidget* parent = nullptr);

    // The File button's work once a file is chosen: read it, find the
    // header, fill the grid, propose the assembly name and preview.
    bool loadFile(const QString& path);
    // The Process button.
    void process();

    // True once a run stored something: the caller reloads its views.
    bool changedData() const { return m_changed; }
    // The assembly the last run stored, upper-cased; empty before one.
    const QString& importedAssembly() const { return m_importedAssembly; }
    CSmallGrid* grid() const { return m_grid; }
    QString countersText() const;
    // What the preview shows: the counts, and the notes and warnings.
    QString previewCounts() const;
    QString previewNotes() const;
    QTableWidget* previewLines() const { return m_lines; }
    // The sheet picker of a workbook (hidden for a text file).
    QComboBox* sheetPicker() const { return m_sheets; }
    // Reads another sheet of the workbook, as the picker does.
    void selectSheet(int index);

    // The folder the file dialog opens in: the last one a file was taken
    // from, and the program's samples before that.
    static QString startFolder();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseFile();
    void readHeader();
    void fillGrid();
    void updatePreview();
    QStringList columnTargets() const;
    QString replaceChangesText() const;
    void showCounters(int scanned, int added);

    ImportMapping m_mapping;
    ImportFile m_file;
    ImportHeader m_header;
    QStringList m_proposed; // the targets proposed before the user changed any
    ImportPreview m_preview;
    QString m_previewAssembly; // the assembly the preview was read for
    bool m_processed = false;
    bool m_filling = false;
    int m_scannedTotal = 0;
    int m_addedTotal = 0;
    QLabel* m_addedMeaning = nullptr;
    bool m_changed = false;
    QString m_importedAssembly;

    CImageButton* m_fileButton;
    QLineEdit* m_fileName;
    QComboBox* m_sheets;
    QLineEdit* m_assembly;
    CSmallGrid* m_grid;
    QLabel* m_counts;
    QTableWidget* m_lines;
    QPlainTextEdit* m_notes;
    CImageButton* m_processButton;
    QProgressBar* m_progress;
    QLabel* m_scanned;
    QLabel* m_added;
};

// After an import: the main window's grid shows the new assembly's lines and
// its tree is rebuilt, so the user sees what was stored.
void ShowImportedAssembly(QWidget* mainWindow, const QString& assembly);
