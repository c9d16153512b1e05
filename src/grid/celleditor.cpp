#include "grid/celleditor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

void CCellEditor::open(QWidget* viewport, const QRect& rect, EditorKind kind, const QString& text,
                       const QStringList& items, int preselect)
{
    close();
    QWidget* editor = nullptr;
    if (kind == EditorKind::Edit) {
        auto* line = new QLineEdit(viewport);
        line->setText(text);
        line->selectAll();
        editor = line;
        m_mode = 1;
    } else {
        auto* combo = new QComboBox(viewport);
        combo->setEditable(kind != EditorKind::Drop);
        combo->setMaxVisibleItems(5);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(items);
        if (kind == EditorKind::Drop) {
            combo->setCurrentIndex(preselect >= 0 ? preselect : 0);
            m_mode = 1;
        } else {
            if (preselect >= 0)
                combo->setCurrentIndex(preselect);
            combo->setEditText(kind == EditorKind::Dbst && preselect >= 0 ? items.value(preselect) : text);
            if (combo->lineEdit()) {
                combo->lineEdit()->selectAll();
                combo->lineEdit()->installEventFilter(this);
            }
            m_mode = 2;
        }
        // Choosing commits; deferred so the list is not destroyed inside its own signal.
        connect(combo, &QComboBox::activated, this,
                [this]() { QTimer::singleShot(0, this, [this]() { if (isOpen()) Q_EMIT itemChosen(); }); });
        editor = combo;
    }
    editor->setObjectName(QStringLiteral("cellEditor"));
    editor->setGeometry(kind == EditorKind::Edit ? rect : QRect(rect.topLeft(), QSize(rect.width(), std::max(rect.height(), 23))));
    editor->installEventFilter(this);
    editor->show();
    editor->setFocus();
    m_editor = editor;
}

QString CCellEditor::text() const
{
    if (auto* line = qobject_cast<QLineEdit*>(m_editor.data()))
        return line->text();
    if (auto* combo = qobject_cast<QComboBox*>(m_editor.data()))
        return combo->isEditable() ? combo->currentText() : combo->currentText();
    return QString();
}

void CCellEditor::close()
{
    if (m_editor) {
        QWidget* editor = m_editor;
        m_editor = nullptr;
        editor->removeEventFilter(this);
        if (auto* combo = qobject_cast<QComboBox*>(editor); combo && combo->lineEdit())
            combo->lineEdit()->removeEventFilter(this);
        QWidget* view = editor->parentWidget();
        editor->hide();
        editor->deleteLater();
        // The view takes the keys back once the editor is gone.
        while (view && !qobject_cast<QAbstractItemView*>(view))
            view = view->parentWidget();
        if (m_focusTarget)
            view = m_focusTarget;
        if (view)
            view->setFocus();
    }
    m_mode = 0;
}

bool CCellEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isOpen()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            Q_EMIT tabPressed();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ControlModifier)
                Q_EMIT enterToAllPressed();
            else
                Q_EMIT enterPressed();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Q_EMIT escapePressed();
            return true;
        }
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && qobject_cast<QLineEdit*>(watched)
            && !qobject_cast<QComboBox*>(static_cast<QWidget*>(watched)->parentWidget())) {
            if (key == Qt::Key_Up)
                Q_EMIT upPressed();
            else
                Q_EMIT downPressed();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ApplyDarkGridPalette(QWidget* view, const QColor& background)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::AlternateBase, background.lighter(150));
    palette.setColor(QPalette::Window, QColor(64, 64, 64));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Button, QColor(48, 48, 48));
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0, 96, 96));
    palette.setColor(QPalette::HighlightedText, Qt::cyan);
    view->setPalette(palette);
}
