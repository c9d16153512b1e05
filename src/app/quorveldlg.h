#pragma once
// The main window: the command bar across the top, the database tree view on
// the left, the record command strip and the table grid on the right.
#include "db/database.h"

#include <QDialog>
#include <QUrl>
#include <utility>
#include <vector>

class ChangeFeed;
class CGridView;
class CImageMenu;
class CMiniMenu;
class QLabel;
class QSplitter;
class QToolButton;
class QTableWidget;
class CDBView;

class CQuorvelDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CQuorvelDlg(QWidget* parent = nullptr);
    ~CQuorvelDlg() override;

    // The command bar's twenty entries: label and command; group captions
    // begin with "&" and have no command.
    static const std::vector<std::pair<QString, int>>& CommandBarEntries();
    // Table shown by a table command, -1 for other commands; and back.
    static int TableForCommand(int command);
    static int CommandForTable(int table);

    // The window's part of start-up, from the splash to the first grid load,
    // for an application whose program folder is set and whose library is loaded.
    void initialize(bool showSplash = true);

    // Runs a command of the bar (or of the window).
    void onCommand(int command);
    // Switches the grid to table t; the table on view stays as it is.
    void showTable(int table);
    // The window caption and the bar's labels in the selected language.
    void showLocationState();
    void translateWindow();
    // Switches the interface to a language of the dictionary, as Setup does.
    void setLanguage(int language);

    // The result of the grid's last load, read by the CSV export.
    QueryResult& sharedResult() { return m_result; }
    CImageMenu* commandBar() const { return m_bar; }
    CMiniMenu* miniMenu() const { return m_mini; }
    QWidget* gridSlot() const { return m_gridSlot; }
    QWidget* treeSlot() const { return m_treeSlot; }
    // The tree pane beside the grid: narrowed with the splitter, hidden and
    // shown again with its button or Ctrl+T.
    void showTreePane(bool shown);
    bool treePaneShown() const;
    QSplitter* bodySplitter() const { return m_splitter; }
    bool isShutDown() const { return m_shutDown; }
    // The line under the grid that says how the last command ended.
    QString statusText() const;
    void showStatus(const QString& text);

    // The cost roll-up for that many builds, its outcome on the status line
    // and the grid and tree shown again (Update without its window).
    void rollUpCosts(double builds);
    // Another desk's changes: the grid and the tree show the shop as stored
    // now, keeping what is current and selected.
    ChangeFeed* changeFeed() const { return m_feed; }
    void refreshFromOtherDesks();

    // Closing the window any way (Esc, the close box) runs the shutdown.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // ---- The table grid and the database tree view plug in here. ----
    // Until the tree view lands, a plain tree stands in.
    void createGrid();
    void createTreeView();
    void loadGrid(int table);
    void storeColumnLayout();
    void clearGridSort();
    void redrawTree();
    void printGrid();
    void runRecordCommand(int item);
    QWidget* gridWidget() const;
    // ------------------------------------------------------------------

    void runOptions();
    void runUpdate();
    void openHelp();
    void openWeb();
    // Opens an address with the desktop; says so, naming it, when nothing can.
    bool openAddress(const QUrl& url, const QString& shown, const QString& caption);
    void runWindow(const QString& action, const QStringList& args, const QString& title, bool reloadAfter);
    void markTable(int table);
    void updateTreeToggle();
    void showAbout();
    void shutdown();

    QueryResult m_result;
    CImageMenu* m_bar = nullptr;
    CMiniMenu* m_mini = nullptr;
    QWidget* m_gridSlot = nullptr;
    QWidget* m_treeSlot = nullptr;
    QLabel* m_status = nullptr;
    QSplitter* m_splitter = nullptr;
    QToolButton* m_treeToggle = nullptr;
    void connectTreeToGrid();

    CGridView* m_grid = nullptr;
    ChangeFeed* m_feed = nullptr;
    CDBView* m_treeView = nullptr;
    bool m_shutDown = false;
};

// The one main window while it exists, for dialogs that need it.
CQuorvelDlg* TheMainWindow();
