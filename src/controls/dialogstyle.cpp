#include "controls/dialogstyle.h"

#include "controls/drawing.h"

#include <QPainter>
#include <QWidget>

QString DarkFieldStyleSheet()
{
    return QStringLiteral(
        "QLineEdit, QTextEdit, QPlainTextEdit, QComboBox, QListWidget, QListView, QTreeView, QTreeWidget,"
        " QTableView, QTableWidget, QSpinBox, QDoubleSpinBox, QDateTimeEdit, QDateEdit, QTimeEdit {"
        " background-color: rgb(32,32,32); color: white; selection-background-color: rgb(0,0,128);"
        " selection-color: white; border: 1px solid rgb(16,16,16); }"
        " QComboBox QAbstractItemView { background-color: rgb(32,32,32); color: white;"
        " selection-background-color: rgb(0,0,128); }"
        " QLineEdit:disabled, QTextEdit:disabled, QPlainTextEdit:disabled, QComboBox:disabled { color: rgb(128,128,128); }"
        " QHeaderView::section { background-color: rgb(64,64,64); color: white; border: 1px solid rgb(32,32,32); }"
        " QLabel, QCheckBox, QRadioButton, QGroupBox { color: white; background: transparent; }");
}

void ControlColour(QWidget* widget)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, DarkFieldColour());
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    widget->setPalette(palette);
    widget->setStyleSheet(widget->styleSheet() + DarkFieldStyleSheet());
}

CDarkDialog::CDarkDialog(QWidget* parent, int backgroundVariant)
    : QDialog(parent)
    , m_variant(backgroundVariant)
{
    ControlColour(this);
}

void CDarkDialog::addPanel(const QRect& rect, const QString& caption, int corner)
{
    m_panels.push_back({rect, caption, corner});
    update();
}

void CDarkDialog::clearPanels()
{
    m_panels.clear();
    update();
}

void CDarkDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FillDialogBackground(painter, rect(), m_variant);
    for (const Panel& panel : m_panels)
        DrawCaptionedPanel(painter, panel.caption, panel.rect.left(), panel.rect.top(), panel.rect.right(),
                           panel.rect.bottom(), panel.corner, panel.corner);
}
