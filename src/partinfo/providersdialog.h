#pragma once
// The user's distributor accounts: the credentials each provider needs, an
// address override, and how long answers are reused. Stored secrets are never
// shown again; an empty field keeps what is stored.
#include "controls/dialogstyle.h"

#include <QMap>

class QLineEdit;
class QSpinBox;
class QLabel;

class CProvidersDialog : public CDarkDialog
{
    Q_OBJECT
public:
    explicit CProvidersDialog(QWidget* parent);

    // Writes what was typed; false (said) when a value was refused.
    bool save();
    QLineEdit* field(const QString& provider, const QString& key) const;
    QSpinBox* cacheHours() const { return m_cacheHours; }

private:
    void showStates();

    QMap<QString, QLineEdit*> m_fields; // "provider/key"
    QMap<QString, QLabel*> m_states;    // provider
    QSpinBox* m_cacheHours = nullptr;
};
