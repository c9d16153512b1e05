#pragma once
// The in-place editor both grids lay over a cell: a text field, an editable
// sorted list or a fixed list, with the keys that commit, move and cancel.
#include "grid/gridmodel.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class CCellEditor : public QObject
{
    Q_OBJECT
public:
    explicit CCellEditor(QObject* parent = nullptr) : QObject(parent) {}

    // Opens an editor of kind over rect of viewport; an open one is dropped.
    void open(QWidget* viewport, const QRect& rect, EditorKind kind, const QString& text,
              const QStringList& items = {}, int preselect = -1);
    bool isOpen() const { return !m_editor.isNull(); }
    // 1 text field or fixed list, 2 editable list; 0 when closed.
    int mode() const { return isOpen() ? m_mode : 0; }
    QString text() const;
    // Destroys the editor without storing anything.
    void close();
    QWidget* widget() const { return m_editor; }
    // The widget that takes the keys back when the editor closes; by
    // default the item view the editor lies in.
    void setFocusTarget(QWidget* target) { m_focusTarget = target; }

Q_SIGNALS:
    void tabPressed();
    void enterPressed();
    // Ctrl+Enter: the text goes to every selected row.
    void enterToAllPressed();
    void escapePressed();
    // Up or Down in a text field (a list uses them to choose its items).
    void upPressed();
    void downPressed();
    // An item was chosen from the drop-down list: commit at once.
    void itemChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_focusTarget;
    int m_mode = 0;
};

// The dark look shared by the grids: background, text and grid colours.
void ApplyDarkGridPalette(QWidget* view, const QColor& background);
