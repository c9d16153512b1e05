#pragma once
// CAddAssy: the "Add Assy" dialog that creates a new assembly.
#include "controls/dialogstyle.h"

class QLineEdit;
class QProgressBar;

class CAddAssy : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CAddAssy(QWidget* parent = nullptr);

    // The assembly as stored, for the caller to make current.
    QString assemblyName() const { return m_name; }

    QLineEdit* nameEdit() const { return m_nameEdit; }
    QLineEdit* rowsEdit() const { return m_rowsEdit; }

public Q_SLOTS:
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_rowsEdit = nullptr;
    QProgressBar* m_progress = nullptr;
    QWidget* m_frame = nullptr;
    QString m_name;
};

// The name stored by the last "add-assembly" window action, for its caller.
QString LastAddedAssembly();
