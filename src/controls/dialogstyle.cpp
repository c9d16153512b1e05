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
        " QHeaderView { background-color: rgb(48,48,48); }"
        " QTableCornerButton::section { background-color: rgb(64,64,64); border: 1px solid rgb(32,32,32); }"
        " QHeaderView::section { background-color: rgb(64,64,64); color: white; border: 1px solid rgb(32,32,32); }"
        " QLabel, QGroupBox { color: white; background: transparent; }"
        // No transparent background here: it would hide an unticked box (see InstallDarkIndicators).
        " QCheckBox, QRadioButton { color: white; }"
        " QScrollBar:horizontal { background: rgb(40,40,40); height: 14px; margin: 0; }"
        " QScrollBar:vertical { background: rgb(40,40,40); width: 14px; margin: 0; }"
        " QScrollBar::handle { background: rgb(110,110,120); border-radius: 5px; margin: 2px; }"
        " QScrollBar::handle:horizontal { min-width: 24px; } QScrollBar::handle:vertical { min-height: 24px; }"
        " QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
        " QScrollBar::add-page, QScrollBar::sub-page { background: none; }");
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
