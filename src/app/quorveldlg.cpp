#include "app/quorveldlg.h"

#include "app/setup.h"
#include "app/splash.h"
#include "bom/rollup.h"
#include "bom/rollupdialog.h"
#include "bom/dbview.h"
#include "controls/artwork.h"
#include "controls/dialogstyle.h"
#include "controls/drawing.h"
#include "controls/helpwindow.h"
#include "controls/imagemenu.h"
#include "controls/minimenu.h"
#include "core/appstate.h"
#include "core/commandids.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/windowhooks.h"
#include "db/changefeed.h"
#include "db/database.h"
#include "db/location.h"
#include "db/billrows.h"
#include "db/parameters.h"
#include "db/serveraccess.h"
#include "db/settingsfile.h"
#include "grid/gridview.h"

#include <QApplication>
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

CQuorvelDlg* g_mainWindow = nullptr;

constexpr int kTreeWidth = 300;

} // namespace

CQuorvelDlg* TheMainWindow()
{
    return g_mainWindow;
}

const std::vector<std::pair<QString, int>>& CQuorvelDlg::CommandBarEntries()
{
    static const std::vector<std::pair<QString, int>> entries = {
        {QStringLiteral("BOM"), kCmdShowAssyList},   {QStringLiteral("Assy"), kCmdShowRescList},
        {QStringLiteral("Part"), kCmdShowPartList},  {QStringLiteral("Vendor"), kCmdShowVendList},
        {QStringLiteral("Labor"), kCmdShowLabrList}, {QStringLiteral("Order"), kCmdShowReqmList},
        {QStringLiteral("Buy"), kCmdShowPurcList},   {QStringLiteral("&Table"), 0},
        {QStringLiteral("Update"), kCmdUpdate},      {QStringLiteral("Timeline"), kCmdTimeline},
        {QStringLiteral("Tasks"), kCmdTaskList},     {QStringLiteral("Report"), kCmdReport},
        {QStringLiteral("WWW"), kCmdWeb},
        {QStringLiteral("&Tools"), 0},               {QStringLiteral("Import"), kCmdImport},
        {QStringLiteral("Export"), kCmdExport},      {QStringLiteral("&Transfer"), 0},
        {QStringLiteral("Options"), kCmdOptions},    {QStringLiteral("Print"), kCmdPrint},
        {QStringLiteral("Help"), kCmdHelp},          {QStringLiteral("&Utility"), 0},
    };
    return entries;
}

int CQuorvelDlg::TableForCommand(int command)
{
    switch (command) {
    case kCmdShowAssyList:
        return AssyList;
    case kCmdShowPartList:
        return PartList;
    case kCmdShowVendList:
        return VendList;
    case kCmdShowRescList:
        return RescList;
    case kCmdShowPurcList:
        return PurcList;
    case kCmdShowReqmList:
        return ReqmList;
    case kCmdShowLabrList:
        return LabrList;
    case kCmdShowSrcList:
        return SrcList;
    case kCmdShowBrkList:
        return BrkList;
    case kCmdShowRateList:
        return RateList;
    default:
        return -1;
    }
}

int CQuorvelDlg::CommandForTable(int table)
{
    for (const auto& [label, command] : CommandBarEntries())
        if (command && TableForCommand(command) == table)
            return command;
    return 0;
}

CQuorvelDlg::CQuorvelDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    g_mainWindow = this;
    m_feed = new ChangeFeed(this);
    connect(m_feed, &ChangeFeed::changed, this, &CQuorvelDlg::refreshFromOtherDesks);
    setWindowTitle(QStringLiteral("KOLT"));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    ControlColour(this);
    resize(1200, 720);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_bar = new CImageMenu(this);
    outer->addWidget(m_bar);
    // The tree pane and the grid share the width through a splitter: the
    // tree can be narrowed by dragging, or hidden with its button (Ctrl+T).
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("bodySplitter"));
    m_splitter->setChildrenCollapsible(true);
    m_splitter->setHandleWidth(6);
    m_splitter->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(m_splitter, 1);

    m_treeSlot = new QWidget(m_splitter);
    m_treeSlot->setMinimumWidth(120);
    auto* treeLayout = new QVBoxLayout(m_treeSlot);
    treeLayout->setContentsMargins(0, 0, 0, 0);

    auto* rightPane = new QWidget(m_splitter);
    auto* right = new QVBoxLayout(rightPane);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(6);
    auto* strip = new QHBoxLayout;
    strip->setSpacing(6);
    m_treeToggle = new QToolButton(rightPane);
    m_treeToggle->setObjectName(QStringLiteral("treeToggle"));
    m_treeToggle->setCheckable(true);
    m_treeToggle->setChecked(true);
    m_treeToggle->setAutoRaise(true);
    m_treeToggle->setFixedSize(24, 36);
    m_treeToggle->setStyleSheet(QStringLiteral("QToolButton { color: white; background: rgb(48,48,48); "
                                               "border: 1px solid rgb(96,96,96); }"));
    connect(m_treeToggle, &QToolButton::toggled, this, [this](bool shown) { showTreePane(shown); });
    auto* toggleKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(toggleKey, &QShortcut::activated, m_treeToggle, &QToolButton::toggle);
    strip->addWidget(m_treeToggle, 0, Qt::AlignTop);
    m_mini = new CMiniMenu(this);
    strip->addWidget(m_mini, 0, Qt::AlignLeft);
    strip->addStretch(1);
    right->addLayout(strip);
    m_gridSlot = new QWidget(rightPane);
    auto* gridLayout = new QVBoxLayout(m_gridSlot);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    right->addWidget(m_gridSlot, 1);
    m_splitter->addWidget(m_treeSlot);
    m_splitter->addWidget(rightPane);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kTreeWidth, 900});
    connect(m_splitter, &QSplitter::splitterMoved, this, [this]() {
        // Dragged shut is hidden, and the button says so.
        const bool shown = m_splitter->sizes().value(0) > 0;
        if (m_treeToggle->isChecked() != shown) {
            const QSignalBlocker blocker(m_treeToggle);
            m_treeToggle->setChecked(shown);
        }
        updateTreeToggle();
    });
    updateTreeToggle();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setContentsMargins(8, 2, 8, 4);
    m_status->setStyleSheet(QStringLiteral("QLabel { color: rgb(224, 224, 224); }"));
    outer->addWidget(m_status);

    connect(m_bar, &CImageMenu::command, this, &CQuorvelDlg::onCommand);
    connect(m_mini, &CMiniMenu::command, this, [this](int command) {
        if (command == kCmdRecordCommand)
            runRecordCommand(m_mini->chosen());
    });

    // The platform has no system menu to extend; the About item lives in the
    // window's context menu instead.
    auto* about = new QAction(this);
    about->setObjectName(QStringLiteral("about"));
    connect(about, &QAction::triggered, this, &CQuorvelDlg::showAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    m_bar->addAction(about);
    m_bar->setContextMenuPolicy(Qt::ActionsContextMenu);
}

CQuorvelDlg::~CQuorvelDlg()
{
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

void CQuorvelDlg::initialize(bool showSplash)
{
    AppState& app = App();
    // The graphics library needs no start: QPainter is ready.
    if (showSplash) {
        CSplash splash(this);
        splash.exec();
    }
    ReadSettingsFile();
    app.CurrentUser = ReadProfileUser();
    LoadDictionary(app.language);
    translateWindow();
    LoadAllTableDefinitions();

    m_bar->setup(CommandBarEntries());
    markTable(AssyList);
    createTreeView();
    // A location that could not be opened was explained once, with its
    // cause; reading it again would only repeat that in a box per table.
    const bool opened = InitializeDatabase();
    SelectTable(app.DataFolder, AssyList);
    if (opened)
        m_result = ReadAllBillLines();
    createGrid();
    m_mini->setup(AssyList);
    if (opened) {
        loadGrid(AssyList);
        redrawTree();
    }
    translateWindow();
    showLocationState();
    if (opened)
        m_feed->watch(app.DataFolder);
}

void CQuorvelDlg::refreshFromOtherDesks()
{
    // Nor does it run inside another window's work (a progress window
    // turning the event loop in the middle of its transaction).
    if (InTransaction() || QApplication::activeModalWidget()) {
        QTimer::singleShot(1000, this, &CQuorvelDlg::refreshFromOtherDesks);
        return;
    }
    // A cell being typed into is not taken away: the refresh waits for it.
    if (m_grid && !m_grid->RefreshFromStore()) {
        QTimer::singleShot(1000, this, &CQuorvelDlg::refreshFromOtherDesks);
        return;
    }
    redrawTree();
}

void CQuorvelDlg::showLocationState()
{
    // Which shop, as whom, and whether this desk may change it: the title
    // and the status line say so at once.
    const QString readOnly = ReadOnlyReason();
    if (!readOnly.isEmpty())
        showStatus(readOnly);
    // A desk that may not write offers no command that writes: the roll-up,
    // the import, the grid's inserts, deletions and edits.
    const bool writable = !DeskReadOnly();
    m_bar->setCommandEnabled(kCmdUpdate, writable);
    m_bar->setCommandEnabled(kCmdImport, writable);
    m_mini->setWritable(writable);
}

void CQuorvelDlg::translateWindow()
{
    // Which shop, as whom; a desk that cannot write says so before anyone
    // types into it.
    const QString location = App().DataFolder.isEmpty() ? QString() : LocationCaption(App().DataFolder);
    QString title = Translate(QStringLiteral("KOLT")) + (location.isEmpty() ? QString() : QStringLiteral(" - ") + location);
    if (DatabaseReadOnly() && !title.contains(QLatin1String("read-only")))
        title += QStringLiteral(" — ") + Translate(QStringLiteral("read-only"));
    setWindowTitle(title);
    if (DatabaseReadOnly() && ReadOnlyReason().isEmpty())
        showStatus(Translate(QStringLiteral("This desk is read-only: the shop cannot be written here.")));
    if (QAction* about = findChild<QAction*>(QStringLiteral("about")))
        about->setText(Translate(QStringLiteral("&About KOLT...")));
    m_bar->retranslate();
    m_mini->retranslate();
    updateTreeToggle();
}

void CQuorvelDlg::markTable(int table)
{
    const int selected = m_bar->entryForCommand(CommandForTable(table));
    for (int i = 0; i < m_bar->entryCount(); ++i)
        if (TableForCommand(m_bar->entry(i).command) >= 0)
            m_bar->setState(i, i == selected ? CImageMenu::kStateSelected : CImageMenu::kStateNormal);
    m_bar->update();
}

void CQuorvelDlg::showTable(int table)
{
    // The table on view stays exactly as it is, its column layout included.
    if (table == CurrentTable())
        return;
    storeColumnLayout();
    SelectTable(App().DataFolder, table);
    clearGridSort();
    m_mini->setup(table);
    loadGrid(table);
    redrawTree();
    markTable(table);
}

void CQuorvelDlg::onCommand(int command)
{
    const int table = TableForCommand(command);
    if (table >= 0) {
        showTable(table);
        return;
    }
    if (!m_bar->commandEnabled(command) && m_bar->entryForCommand(command) >= 0)
        return;
    switch (command) {
    case kCmdUpdate:
        runUpdate();
        break;
    case kCmdTimeline:
        runWindow(WindowActions::Timeline, {}, QStringLiteral("Schedule Timeline"), false);
        break;
    case kCmdTaskList:
        runWindow(WindowActions::TaskList, {}, QStringLiteral("Task List"), false);
        break;
    case kCmdReport:
        runWindow(WindowActions::Report, {}, QStringLiteral("BOM Report"), false);
        break;
    case kCmdWeb:
        openWeb();
        break;
    case kCmdImport:
        runWindow(WindowActions::Import, {}, QStringLiteral("CSV Import"), true);
        break;
    case kCmdExport:
        // What the grid shows now: the assembly on view, in the order shown,
        // read for the export alone (the grid keeps no copy of the table).
        if (HasExportAction()) {
            if (m_grid)
                m_result = m_grid->model().ShownRows();
            RunExportAction(this, m_result, CurrentTable());
            m_result = QueryResult();
        }
        else
            ShowMessage(TranslateLabel(QStringLiteral("Not available yet:")) + QLatin1Char(' ')
                            + Translate(QStringLiteral("CSV Export")),
                        Translate(QStringLiteral("KOLT")));
        break;
    case kCmdOptions:
        runOptions();
        break;
    case kCmdPrint:
        printGrid();
        break;
    case kCmdHelp:
        openHelp();
        break;
    case kCmdAbout:
        showAbout();
        break;
    default: // Enter (1), 9000 and group captions do nothing
        break;
    }
}

void CQuorvelDlg::runWindow(const QString& action, const QStringList& args, const QString& title, bool reloadAfter)
{
    if (!HasWindowAction(action)) {
        ShowMessage(TranslateLabel(QStringLiteral("Not available yet:")) + QLatin1Char(' ') + Translate(title),
                    Translate(QStringLiteral("KOLT")));
        return;
    }
    RunWindowAction(action, this, args);
    if (reloadAfter) {
        loadGrid(CurrentTable());
        redrawTree();
    }
}

QString CQuorvelDlg::statusText() const
{
    return m_status->text();
}

void CQuorvelDlg::showStatus(const QString& text)
{
    m_status->setText(text);
}

void CQuorvelDlg::runUpdate()
{
    CRollupDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    rollUpCosts(dialog.builds());
}

void CQuorvelDlg::rollUpCosts(double builds)
{
    showStatus(Translate(QStringLiteral("Rolling the costs up...")));
    const int assemblies = RunCostRollup(builds); // shows its own progress window
    if (assemblies < 0)
        showStatus(Translate(QStringLiteral("The cost roll-up could not be written.")));
    else
        showStatus(TranslateLabel(QStringLiteral("Costs rolled up:")) + QLatin1Char(' ')
                   + Format("%i %s", {assemblies, Translate(assemblies == 1 ? QStringLiteral("assembly")
                                                                            : QStringLiteral("assemblies"))}));
    // The grid and the navigation panel show the new prices at once.
    loadGrid(CurrentTable());
    redrawTree();
}

bool CQuorvelDlg::openAddress(const QUrl& url, const QString& shown, const QString& caption)
{
    if (QDesktopServices::openUrl(url))
        return true;
    ShowMessage(TranslateLabel(QStringLiteral("No program could open:")) + QLatin1Char('\n') + shown, caption);
    return false;
}

void CQuorvelDlg::openWeb()
{
    const QString address = QStringLiteral("http://");
    openAddress(QUrl(address), address, Translate(QStringLiteral("WWW")));
}

void CQuorvelDlg::openHelp()
{
    const QString path = App().ProgramFolder + QStringLiteral("help/KOLT.html");
    if (!QFileInfo::exists(path)) {
        ShowMessage(TranslateLabel(QStringLiteral("Help file not found:")) + QLatin1Char('\n') + QDir::toNativeSeparators(path),
                    Translate(QStringLiteral("Help")));
        return;
    }
    CHelpWindow::Show(path, this);
}

void CQuorvelDlg::showTreePane(bool shown)
{
    if (m_treeToggle->isChecked() != shown) {
        const QSignalBlocker blocker(m_treeToggle);
        m_treeToggle->setChecked(shown);
    }
    QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (shown) {
        // A narrow window gives the tree a smaller share of it.
        const int tree = std::min(kTreeWidth, std::max(160, total / 4));
        m_splitter->setSizes({tree, std::max(0, total - tree)});
    } else {
        m_splitter->setSizes({0, total});
    }
    updateTreeToggle();
}

bool CQuorvelDlg::treePaneShown() const
{
    return m_splitter->sizes().value(0) > 0;
}

void CQuorvelDlg::updateTreeToggle()
{
    const bool shown = m_treeToggle->isChecked();
    m_treeToggle->setText(shown ? QStringLiteral("\u25C0") : QStringLiteral("\u25B6"));
    m_treeToggle->setToolTip((shown ? Translate(QStringLiteral("Hide the tree")) : Translate(QStringLiteral("Show the tree")))
                             + QStringLiteral(" (Ctrl+T)"));
}

void CQuorvelDlg::runOptions()
{
    AppState& app = App();
    const QString previous = app.DataFolder;
    Setup setup(this);
    const bool accepted = setup.exec() == QDialog::Accepted;
    if (setup.chosenLanguage() != app.language)
        setLanguage(setup.chosenLanguage());
    if (setup.folderChanged()) {
        // A folder chosen here is set up at once, like one found at start-up:
        // without its parameter rows every new requirement and purchase order
        // would get the same number.
        storeColumnLayout();
        if (!InitializeDatabase()) {
            // A server that cannot be reached or a folder that cannot be
            // written: the work goes on where it was, and the user was told why.
            app.DataFolder = previous;
            InitializeDatabase();
        }
        SelectTable(app.DataFolder, AssyList);
        m_status->clear();
        translateWindow();
        clearGridSort();
        m_mini->setup(AssyList);
        loadGrid(AssyList);
        redrawTree();
        markTable(AssyList);
        m_status->clear();
        translateWindow();
        showLocationState();
        m_feed->watch(app.DataFolder);
    }
    // The data location and the shared folders outlive a crash of this session.
    if (accepted)
        WriteSettingsFile();
}

void CQuorvelDlg::setLanguage(int language)
{
    App().language = language;
    LoadDictionary(language);
    translateWindow();
    // The grid's headings were translated when it loaded, and its column
    // widths were made for them: both follow the new language.
    storeColumnLayout();
    loadGrid(CurrentTable());
    redrawTree();
    m_status->clear();
}

void CQuorvelDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CQuorvelDlg::done(int result)
{
    shutdown();
    QDialog::done(result);
}

void CQuorvelDlg::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    storeColumnLayout();
    // Nothing to shut down for the graphics: QPainter holds no library state.
    WriteSettingsFile();
}

void CQuorvelDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter must not close the main window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    // Esc reaches the window only when no editor took it: a stray Esc
    // meant for an editor must not end the program unasked.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (ShowMessage(Translate(QStringLiteral("Exit KOLT?")), Translate(QStringLiteral("KOLT")), kButtonsYesNo)
            == kAnswerYes)
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CQuorvelDlg::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    if (QWidget* grid = gridWidget())
        grid->setFocus();
}

void CQuorvelDlg::focusInEvent(QFocusEvent* event)
{
    QDialog::focusInEvent(event);
    if (QWidget* grid = gridWidget())
        grid->setFocus();
}

void CQuorvelDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // A window made narrow keeps most of its width for the grid.
    if (m_splitter && treePaneShown() && event->oldSize().width() != width()) {
        const QList<int> sizes = m_splitter->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (sizes.value(0) > total / 4 && sizes.value(0) > 160) {
            const int tree = std::max(160, total / 4);
            m_splitter->setSizes({tree, total - tree});
        }
    }
    redrawTree();
}

void CQuorvelDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FillDialogBackground(painter, rect(), kBackgroundDark);
}

// ---- The table grid and the database tree view ----

void CQuorvelDlg::createGrid()
{
    if (m_grid)
        return;
    m_grid = new CGridView(m_gridSlot);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_gridSlot->layout()->addWidget(m_grid);
    connect(m_grid, &CGridView::parentCommand, this, [this](int command) {
        if (command == kCmdGridEdited)
            redrawTree();
        else if (TableForCommand(command) >= 0)
            onCommand(command);
    });
    connectTreeToGrid();
}

// The tree view drives the grid: a click shows the assembly's rows, its menu
// runs the grid's record commands. Whichever is created last makes the link.
void CQuorvelDlg::connectTreeToGrid()
{
    if (!m_grid || !m_treeView)
        return;
    connect(m_treeView, &CDBView::showAssemblyRow, m_grid,
            [this](int row, const QString& assembly, const QString& key) { m_grid->ShowAssemblyRow(row, assembly, key); });
    connect(m_treeView, &CDBView::recordCommand, m_grid, &CGridView::RecordCommand);
}

void CQuorvelDlg::createTreeView()
{
    if (m_treeView)
        return;
    m_treeView = new CDBView(m_treeSlot);
    m_treeView->setObjectName(QStringLiteral("tree"));
    m_treeSlot->layout()->addWidget(m_treeView);
    connectTreeToGrid();
}

void CQuorvelDlg::loadGrid(int table)
{
    if (m_grid)
        m_grid->Load(table);
}

void CQuorvelDlg::storeColumnLayout()
{
    if (m_grid)
        m_grid->SaveColumnLayout();
}

void CQuorvelDlg::clearGridSort()
{
    if (m_grid)
        m_grid->model().sortColumn.clear();
}

void CQuorvelDlg::redrawTree()
{
    if (m_treeView)
        m_treeView->onCommand(kCommandTreeRefresh);
}

void CQuorvelDlg::printGrid()
{
    if (m_grid)
        m_grid->Print();
}

void CQuorvelDlg::runRecordCommand(int item)
{
    if (m_grid)
        m_grid->RecordCommand(item);
}

QWidget* CQuorvelDlg::gridWidget() const
{
    return m_grid;
}
