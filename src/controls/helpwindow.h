#pragma once
// KOLT's own help window: the shipped HTML help in a text browser, its
// headings as contents on the left and a search box above. It needs no
// web browser, which a workshop computer may not have.
#include <QDialog>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;

class CHelpWindow : public QDialog
{
    Q_OBJECT
public:
    // file: the help page; a missing file shows a page that names it.
    explicit CHelpWindow(const QString& file, QWidget* parent = nullptr);

    // The one help window of the program, opened (or raised) on file.
    static CHelpWindow* Show(const QString& file, QWidget* parent);

    QTextBrowser* browser() const { return m_browser; }
    QTreeWidget* contents() const { return m_contents; }
    QLineEdit* searchBox() const { return m_search; }
    // Moves to the next place that holds text (from the top after the
    // last), marks every place; the number found, 0 when none.
    int Find(const QString& text);
    // Scrolls to the heading of that title; false when the page has none.
    bool ShowSection(const QString& title);

private:
    void fillContents();

    QTextBrowser* m_browser = nullptr;
    QTreeWidget* m_contents = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_found = nullptr;
    QString m_lastSearch;
};
