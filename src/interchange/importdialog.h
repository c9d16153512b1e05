#pragma once
// The Import dialog: pick a CSV file, check the proposed mapping of its
// columns, and import every line as a BOM line of one assembly.
#include "controls/dialogstyle.h"
#include "interchange/importer.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class CImageButton;
class CSmallGrid;

class CImport : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CImport(QWidget* parent = nullptr);

    // The File button's work once a file is chosen: read it, find the
    // header, fill the grid and propose the assembly name.
    bool loadFile(const QString& path);
    // The Process button.
    void process();

    // True once a run stored something: the caller reloads its views.
    bool changedData() const { return m_changed; }
    CSmallGrid* grid() const { return m_grid; }
    QString countersText() const;

private:
    void chooseFile();
    void fillGrid();
    QStringList columnTargets() const;
    void showCounters(int scanned, int added);

    ImportMapping m_mapping;
    ImportFile m_file;
    ImportHeader m_header;
    int m_nextLine = 0;
    int m_scannedTotal = 0;
    int m_addedTotal = 0;
    bool m_changed = false;

    CImageButton* m_fileButton;
    QLineEdit* m_fileName;
    QLineEdit* m_assembly;
    CSmallGrid* m_grid;
    CImageButton* m_processButton;
    QProgressBar* m_progress;
    QLabel* m_scanned;
    QLabel* m_added;
};
