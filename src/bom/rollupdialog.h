#pragma once
// CRollupDialog: the Update command's window. The cost roll-up prices each
// purchased part at the unit price it would be bought at for a number of
// builds; the window asks for that number (Setup's "Roll-up builds" first)
// and runs the same engine as `koltctl rollup --quantity N`.
#include "controls/dialogstyle.h"

class QLineEdit;

class CRollupDialog : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CRollupDialog(QWidget* parent = nullptr);

    QLineEdit* buildsEdit() const { return m_builds; }
    // The builds accepted; meaningful once the dialog was accepted.
    double builds() const { return m_accepted; }

public Q_SLOTS:
    // Refuses a quantity that is not a plain positive number, saying why.
    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* m_builds = nullptr;
    QWidget* m_frame = nullptr;
    double m_accepted = 1;
};
