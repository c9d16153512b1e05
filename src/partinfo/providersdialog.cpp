#include "partinfo/providersdialog.h"

#include "core/dictionary.h"
#include "core/userinterface.h"
#include "partinfo/providers.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CProvidersDialog::CProvidersDialog(QWidget* parent)
    : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Providers")));
    auto* layout = new QVBoxLayout(this);
    const QStringList secrets{QStringLiteral("key"), QStringLiteral("client-id"), QStringLiteral("client-secret")};
    for (const QString& name : ProviderNames()) {
        auto* group = new QGroupBox(ProviderTitle(name), this);
        auto* form = new QFormLayout(group);
        auto* state = new QLabel(group);
        form->addRow(state);
        m_states.insert(name, state);
        const QMap<QString, QString> values = ProviderValues(name);
        for (const QString& key : ProviderKeys(name)) {
            if (key.endsWith(QLatin1String("-limit")))
                continue; // for plans with other quotas: koltctl provider set
            auto* edit = new QLineEdit(group);
            edit->setObjectName(name + QLatin1Char('/') + key);
            if (ProviderSecretKeys(name).contains(key)) {
                edit->setEchoMode(QLineEdit::Password);
                edit->setPlaceholderText(values.value(key).isEmpty() ? Translate(QStringLiteral("not set"))
                                                                     : Translate(QStringLiteral("stored; type to replace")));
            } else {
                edit->setText(values.value(key));
                if (key == QLatin1String("address"))
                    edit->setPlaceholderText(ProviderDefaultAddress(name).isEmpty()
                                                 ? Translate(QStringLiteral("the part service's address"))
                                                 : ProviderDefaultAddress(name));
            }
            form->addRow(key, edit);
            m_fields.insert(name + QLatin1Char('/') + key, edit);
        }
        layout->addWidget(group);
    }
    auto* cacheRow = new QFormLayout;
    m_cacheHours = new QSpinBox(this);
    m_cacheHours->setRange(0, 24 * 365);
    m_cacheHours->setValue(OfferCacheHours());
    m_cacheHours->setSuffix(QStringLiteral(" h"));
    cacheRow->addRow(Translate(QStringLiteral("Reuse answers for")), m_cacheHours);
    layout->addLayout(cacheRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showStates();
}

QLineEdit* CProvidersDialog::field(const QString& provider, const QString& key) const
{
    return m_fields.value(provider + QLatin1Char('/') + key);
}

void CProvidersDialog::showStates()
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it)
        it.value()->setText(ProviderConfigured(it.key()) ? Translate(QStringLiteral("configured"))
                                                         : Translate(QStringLiteral("not configured")));
}

bool CProvidersDialog::save()
{
    for (const QString& name : ProviderNames()) {
        QMap<QString, QString> values;
        for (const QString& key : ProviderKeys(name)) {
            QLineEdit* edit = field(name, key);
            if (!edit)
                continue;
            const QString text = edit->text().trimmed();
            // A secret field left empty keeps the stored secret.
            if (ProviderSecretKeys(name).contains(key) && text.isEmpty())
                continue;
            values.insert(key, text);
        }
        QString error;
        if (!values.isEmpty() && !SetProviderValues(name, values, &error)) {
            ShowMessage(error, Translate(QStringLiteral("Providers")));
            return false;
        }
    }
    QString error;
    if (m_cacheHours->value() != OfferCacheHours() && !SetOfferCacheHours(m_cacheHours->value(), &error)) {
        ShowMessage(error, Translate(QStringLiteral("Providers")));
        return false;
    }
    showStates();
    return true;
}
