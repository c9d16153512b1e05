#include "controls/helpwindow.h"

#include "controls/artwork.h"
#include "core/dictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QPointer<CHelpWindow> g_help;

constexpr int kBlockRole = Qt::UserRole + 1;

} // namespace

CHelpWindow::CHelpWindow(const QString& file, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(Translate(QStringLiteral("KOLT Help")));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    resize(980, 700);

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("helpSearch"));
    m_search->setClearButtonEnabled(true);
    m_search->setPlaceholderText(Translate(QStringLiteral("Search")) + QStringLiteral(" (Enter: ")
                                 + Translate(QStringLiteral("next")) + QLatin1Char(')'));
    m_found = new QLabel(this);
    bar->addWidget(new QLabel(TranslateLabel(QStringLiteral("Search:")), this));
    bar->addWidget(m_search, 1);
    bar->addWidget(m_found);
    layout->addLayout(bar);

    auto* splitter = new QSplitter(this);
    m_contents = new QTreeWidget(splitter);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setHeaderLabel(Translate(QStringLiteral("Contents")));
    m_browser = new QTextBrowser(splitter);
    m_browser->setObjectName(QStringLiteral("helpText"));
    // Links out of the help go to the desktop; those inside stay here.
    m_browser->setOpenExternalLinks(true);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 740});
    layout->addWidget(splitter, 1);

    QFile page(file);
    if (page.open(QIODevice::ReadOnly)) {
        m_browser->setSearchPaths({QFileInfo(file).absolutePath()});
        m_browser->setHtml(QString::fromUtf8(page.readAll()));
    } else {
        m_browser->setHtml(QStringLiteral("<h1>") + Translate(QStringLiteral("Help file not found:"))
                           + QStringLiteral("</h1><p>") + QDir::toNativeSeparators(file).toHtmlEscaped()
                           + QStringLiteral("</p>"));
    }
    fillContents();

    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QTextBlock block = m_browser->document()->findBlockByNumber(item->data(0, kBlockRole).toInt());
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        m_browser->setTextCursor(cursor);
        // The heading at the top of the view, not merely somewhere in it.
        m_browser->verticalScrollBar()->setValue(m_browser->verticalScrollBar()->maximum());
        m_browser->ensureCursorVisible();
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this]() { Find(m_search->text()); });
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) {
            m_browser->setExtraSelections({});
            m_found->clear();
        }
    });
}

void CHelpWindow::fillContents()
{
    m_contents->clear();
    QTreeWidgetItem* section = nullptr;
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        const QString title = block.text().trimmed();
        if (level < 2 || level > 3 || title.isEmpty())
            continue;
        QTreeWidgetItem* item = level == 2 || !section ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(section);
        if (level == 2)
            section = item;
        item->setText(0, title);
        item->setData(0, kBlockRole, block.blockNumber());
    }
    m_contents->expandAll();
}

bool CHelpWindow::ShowSection(const QString& title)
{
    const QList<QTreeWidgetItem*> found = m_contents->findItems(title, Qt::MatchFixedString | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    m_contents->setCurrentItem(found.first());
    Q_EMIT m_contents->itemClicked(found.first(), 0);
    return true;
}

int CHelpWindow::Find(const QString& text)
{
    QList<QTextEdit::ExtraSelection> marks;
    if (text.trimmed().isEmpty()) {
        m_browser->setExtraSelections(marks);
        m_found->clear();
        return 0;
    }
    QTextDocument* document = m_browser->document();
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 230, 0));
    mark.setForeground(Qt::black);
    for (QTextCursor at = document->find(text); !at.isNull(); at = document->find(text, at))
        marks.append({at, mark});
    m_browser->setExtraSelections(marks);
    if (marks.isEmpty()) {
        m_found->setText(Translate(QStringLiteral("Not found")));
        return 0;
    }
    // Enter again goes on to the next place, and round to the first.
    QTextCursor next = text == m_lastSearch ? document->find(text, m_browser->textCursor()) : document->find(text);
    if (next.isNull())
        next = document->find(text);
    m_lastSearch = text;
    m_browser->setTextCursor(next);
    m_browser->ensureCursorVisible();
    m_found->setText(QString::number(marks.size()) + QLatin1Char(' ') + Translate(QStringLiteral("found")));
    return static_cast<int>(marks.size());
}

CHelpWindow* CHelpWindow::Show(const QString& file, QWidget* parent)
{
    if (!g_help) {
        g_help = new CHelpWindow(file, parent);
        g_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_help->show();
    g_help->raise();
    g_help->activateWindow();
    return g_help;
}
