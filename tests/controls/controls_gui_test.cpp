// Image buttons, the message box, the selection popup and the progress window, offscreen.
#include "controls/guitest.h"
#include "support/testsupport.h"

#include "controls/artwork.h"
#include "controls/darklook.h"
#include "controls/guiinterface.h"
#include "controls/helpwindow.h"
#include "controls/imagebutton.h"
#include "controls/imagemenu.h"
#include "controls/messagebox.h"
#include "controls/minimenu.h"
#include "controls/select.h"
#include "controls/wait.h"
#include "core/userinterface.h"

#include <QCheckBox>
#include <QDialog>
#include <QProgressBar>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

CImageButton* buttonWithText(QWidget* box, const QString& text)
{
    for (CImageButton* b : box->findChildren<CImageButton*>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

int answerBy(int buttons, const std::function<void(QWidget*)>& action)
{
    WhenModalOpens(action);
    return ShowMessage(QStringLiteral("Save the changes?"), QStringLiteral("Question"), buttons);
}

} // namespace

TEST(ImageButton, FontsStatesAndLatching)
{
    QWidget dialog;
    dialog.resize(400, 200);
    CImageButton ok(QStringLiteral("OK"), 0, 1, &dialog);
    CImageButton cancel(QStringLiteral("Cancel"), 0, 2, &dialog);
    CImageButton longText(QStringLiteral("Error Checks"), 0, 3, &dialog);
    EXPECT_EQ(ok.textFont().pixelSize(), 21);
    EXPECT_EQ(cancel.textFont().pixelSize(), 18);
    EXPECT_EQ(longText.textFont().pixelSize(), 15);
    EXPECT_EQ(CImageButton::TextHeight(QStringLiteral("0123456789")), 18);
    EXPECT_EQ(CImageButton::TextHeight(QStringLiteral("01234567890")), 15);
    EXPECT_EQ(ok.textFont().weight(), QFont::Medium);
    dialog.show();

    QSignalSpy commands(&cancel, &CImageButton::command);
    QTest::mousePress(&cancel, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(cancel.state(), CImageButton::StatePressed);
    EXPECT_EQ(cancel.textFont().weight(), QFont::Bold);
    QTest::mouseRelease(&cancel, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_NE(cancel.state(), CImageButton::StatePressed);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 2);

    // Disabled: drawn with background 3 and sends nothing.
    cancel.setEnabled(false);
    EXPECT_EQ(cancel.state(), CImageButton::StateDisabled);
    EXPECT_EQ(CImageButton::BackgroundIndex(cancel.state()), 3);
    QTest::mouseClick(&cancel, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(commands.count(), 1);
    const QImage drawn = cancel.grab().toImage();
    EXPECT_EQ(drawn.pixel(48, 2), ArtworkCell(kArtButtonBackgrounds, 3).pixel(48, 2));

    // Latching: down after the first click, up after the second.
    ok.setToggleMode(1);
    QTest::mouseClick(&ok, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(ok.latched());
    EXPECT_EQ(ok.state(), CImageButton::StatePressed);
    QTest::mouseClick(&ok, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(ok.latched());
    EXPECT_NE(ok.state(), CImageButton::StatePressed);

    // Icon buttons draw their icon and no text.
    CImageButton icon(QStringLiteral("OK"), kIconOk, 1, &dialog);
    EXPECT_EQ(icon.iconNumber(), 1);
    EXPECT_EQ(icon.sizeHint(), QSize(96, 48));
}

TEST(ImageButton, SizesToItsTextInWhateverLanguage)
{
    CImageButton shortText(QStringLiteral("OK"), 0, 1, nullptr);
    EXPECT_EQ(shortText.sizeHint(), QSize(96, 48));
    // A long translation widens the button; its bold (pressed) face still fits.
    CImageButton button(QStringLiteral("Tree"), 0, 1, nullptr);
    button.setText(QStringLiteral("Nomenclature indent\u00e9e"));
    button.updateGeometry();
    QFont pressed(QStringLiteral("Arial"));
    pressed.setPixelSize(CImageButton::TextHeight(button.text()));
    pressed.setBold(true);
    EXPECT_GT(button.sizeHint().width(), QFontMetrics(pressed).horizontalAdvance(button.text()));
    EXPECT_EQ(button.minimumSizeHint(), button.sizeHint());
    EXPECT_EQ(button.sizeHint().height(), 48);
}

TEST(MessageBox, AnswersOfEveryButtonSet)
{
    GuiInterface gui;
    SetUserInterface(&gui);
    auto click = [](const QString& text) {
        return [text](QWidget* box) {
            CImageButton* b = buttonWithText(box, text);
            ASSERT_NE(b, nullptr) << text.toStdString();
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 20));
        };
    };
    EXPECT_EQ(answerBy(kButtonsOk, click(QStringLiteral("OK"))), kAnswerOk);
    EXPECT_EQ(answerBy(kButtonsOkCancel, click(QStringLiteral("OK"))), kAnswerOk);
    EXPECT_EQ(answerBy(kButtonsOkCancel, click(QStringLiteral("CANCEL"))), kAnswerCancel);
    EXPECT_EQ(answerBy(kButtonsYesNoCancel, click(QStringLiteral("Yes"))), kAnswerYes);
    EXPECT_EQ(answerBy(kButtonsYesNoCancel, click(QStringLiteral("No"))), kAnswerNo);
    EXPECT_EQ(answerBy(kButtonsYesNoCancel, click(QStringLiteral("CANCEL"))), kAnswerCancel);
    EXPECT_EQ(answerBy(kButtonsYesNo, click(QStringLiteral("Yes"))), kAnswerYes);
    EXPECT_EQ(answerBy(kButtonsYesNo, click(QStringLiteral("No"))), kAnswerNo);
    // The close box and Esc answer Cancel, whatever the set.
    EXPECT_EQ(answerBy(kButtonsYesNo, [](QWidget* box) { box->close(); }), kAnswerCancel);
    EXPECT_EQ(answerBy(kButtonsOk, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }), kAnswerCancel);
    // Enter takes the button with the focus (the leftmost).
    EXPECT_EQ(answerBy(kButtonsYesNoCancel, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }),
              kAnswerYes);
    // A Yes/No question confirms what cannot simply be taken back: Enter
    // answers No, a click still says Yes.
    EXPECT_EQ(answerBy(kButtonsYesNo, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }), kAnswerNo);
    EXPECT_EQ(SafeAnswer(kButtonsYesNo), kAnswerNo);
    SetUserInterface(nullptr);
}

TEST(MessageBox, LayoutOfButtonsAndSize)
{
    CMessageBox three(QStringLiteral("Short"), QStringLiteral("Caption"), kButtonsYesNoCancel, kAlignLeft);
    EXPECT_EQ(three.windowTitle(), QStringLiteral("Caption"));
    EXPECT_EQ(three.size(), QSize(CMessageBox::kTemplateWidth, CMessageBox::kTemplateHeight));
    EXPECT_EQ(three.button(0)->x(), 20);
    EXPECT_EQ(three.button(2)->geometry().right() + 1, three.width() - 20);
    EXPECT_EQ(three.button(1)->geometry().center().x(), three.width() / 2 - (three.width() % 2 == 0 ? 1 : 0));
    EXPECT_EQ(three.button(0)->controlId(), 1097);
    EXPECT_EQ(three.button(2)->iconNumber(), kIconCancel);

    CMessageBox one(QStringLiteral("Short"), QString(), kButtonsOk, kAlignCentre);
    EXPECT_EQ(one.button(0), nullptr);
    EXPECT_EQ(one.button(2), nullptr);
    ASSERT_NE(one.button(1), nullptr);
    EXPECT_EQ(one.button(1)->iconNumber(), kIconOk);
    EXPECT_EQ(one.windowTitle(), QStringLiteral("Message Box"));

    CMessageBox two(QStringLiteral("Short"), QString(), kButtonsYesNo, kAlignRight);
    EXPECT_EQ(two.button(1), nullptr);
    EXPECT_EQ(two.button(2)->text(), QStringLiteral("No"));

    // A long, many-line message widens and heightens the box.
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("Part P%1 is used by an assembly that contains itself on line %1 of its bill\n").arg(i);
    CMessageBox big(text, QString(), kButtonsOk, kAlignLeft);
    EXPECT_GT(big.width(), CMessageBox::kTemplateWidth);
    EXPECT_GT(big.height(), CMessageBox::kTemplateHeight);
    const QFontMetrics metrics(CMessageBox::TextFont());
    EXPECT_GE(big.height(), 12 * metrics.height() + CMessageBox::kButtonHeight + 50 - metrics.height());
    EXPECT_GT(big.button(1)->y(), big.height() / 2);
}

TEST(Select, ChoosesByRowAndNothingBelowTheLastItem)
{
    QWidget reference;
    reference.resize(300, 200);
    reference.show();
    const QStringList items = {QStringLiteral("Insert"), QStringLiteral("Delete"), QStringLiteral("Copy")};
    {
        CSelect popup(items, QPoint(10, 10), &reference);
        EXPECT_EQ(popup.height(), 22 * 3 + 8);
        EXPECT_EQ(popup.itemAt(4), 0);
        EXPECT_EQ(popup.itemAt(4 + 22), 1);
        EXPECT_EQ(popup.itemAt(4 + 2 * 22 + 21), 2);
        EXPECT_EQ(popup.itemAt(4 + 3 * 22), -1);
    }
    // Near the bottom of the reference window it moves up by the overflow.
    {
        CSelect popup(items, QPoint(10, 180), &reference);
        EXPECT_EQ(reference.mapFromGlobal(popup.geometry().bottomLeft()).y() + 1, reference.height());
    }
    WhenModalOpens([](QWidget* popup) { QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(40, 4 + 22 + 5)); });
    EXPECT_EQ(CSelect::Run(items, QPoint(10, 10), &reference), 1);
    WhenModalOpens([](QWidget* popup) {
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(40, popup->height() - 2));
    });
    EXPECT_EQ(CSelect::Run(items, QPoint(10, 10), &reference), -1);
    WhenModalOpens([](QWidget* popup) { QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-30, 10)); });
    EXPECT_EQ(CSelect::Run(items, QPoint(10, 10), &reference), -1);
}

TEST(Wait, ProgressScopesDriveOneWindow)
{
    GuiInterface gui;
    SetUserInterface(&gui);
    {
        WaitScope outer;
        ASSERT_NE(gui.waitWindow(), nullptr);
        EXPECT_TRUE(gui.waitWindow()->isVisible());
        EXPECT_EQ(gui.waitWindow()->windowTitle(), QStringLiteral("Database Access..."));
        outer.setRange(0, 4);
        outer.setPosition(3);
        EXPECT_EQ(gui.waitWindow()->bar()->value(), 3);
        {
            WaitScope inner(QStringLiteral("Moving to Stock..."), 0, 10);
            EXPECT_EQ(gui.waitWindow()->windowTitle(), QStringLiteral("Moving to Stock..."));
        }
        EXPECT_NE(gui.waitWindow(), nullptr) << "the outer scope still runs";
        outer.setCaption(QStringLiteral("Update Database..."));
        EXPECT_EQ(gui.waitWindow()->windowTitle(), QStringLiteral("Update Database..."));
    }
    EXPECT_EQ(gui.waitWindow(), nullptr);
    SetUserInterface(nullptr);
}

TEST(ImageMenu, LayoutHitTestingAndStickySelection)
{
    CImageMenu bar;
    bar.setup({{QStringLiteral("BOM"), 1106},
               {QStringLiteral("Part"), 1107},
               {QStringLiteral("&Table"), 0},
               {QStringLiteral("Update"), 1003},
               {QStringLiteral("Group&"), 0}});
    bar.resize(400, bar.barHeight());
    bar.show();
    const int th = bar.textHeight();
    EXPECT_EQ(bar.barHeight(), 3 * th + th / 2 + 48);
    EXPECT_EQ(bar.entry(2).label, QStringLiteral("Table"));
    EXPECT_EQ(bar.entry(2).width, 16);
    EXPECT_EQ(bar.entry(3).image, 2) << "images are numbered over the item entries only";
    EXPECT_EQ(bar.entry(4).image, -1);
    // Entry 3 starts after 64 + 64 + 16, as wide as its label needs and at
    // least 64, shrunk by 2 on every side.
    const int width3 = bar.entry(3).width;
    EXPECT_GE(width3, 64);
    EXPECT_GE(width3, QFontMetrics(bar.labelFont()).horizontalAdvance(QStringLiteral("Update")));
    EXPECT_EQ(bar.entryRect(3), QRect(QPoint(144 + 2, th / 2 + 2), QPoint(144 + width3 - 2, 3 * th + 48 - 2)));
    EXPECT_EQ(bar.hitTest(QPoint(150, 40)), 3);
    EXPECT_EQ(bar.hitTest(QPoint(136, 40)), -1) << "group captions are never hit";
    EXPECT_EQ(bar.hitTest(QPoint(150, 1)), -1);

    QSignalSpy commands(&bar, &CImageMenu::command);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_EQ(bar.pressedEntry(), 3);
    EXPECT_EQ(bar.drawnState(3), CImageMenu::kStateSelected);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_EQ(bar.pressedEntry(), -1);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1003);
    EXPECT_EQ(bar.drawnState(3), CImageMenu::kStateNormal);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(136, 40));
    EXPECT_EQ(commands.count(), 1);

    // The selected mark survives hover and moving away.
    bar.setState(1, CImageMenu::kStateSelected);
    QTest::mouseMove(&bar, bar.entryRect(1).center());
    QTest::mouseMove(&bar, bar.entryRect(0).center());
    EXPECT_EQ(bar.drawnState(1), CImageMenu::kStateSelected);
    EXPECT_EQ(bar.drawnState(0), CImageMenu::kStateHover);
    bar.setState(1, CImageMenu::kStateNormal);
    EXPECT_EQ(bar.drawnState(1), CImageMenu::kStateNormal);
    const QImage drawn = bar.grab().toImage();
    EXPECT_FALSE(drawn.isNull());
}

TEST(MiniMenu, ItemsPerTableEnablingAndChoice)
{
    CMiniMenu strip;
    strip.setup(0);
    ASSERT_EQ(strip.itemCount(), 6);
    EXPECT_EQ(strip.itemLabel(1), QStringLiteral("Add Assy"));
    strip.setEnabledAll(false);
    QStringList enabled;
    for (int i = 0; i < strip.itemCount(); ++i)
        if (strip.itemEnabled(i))
            enabled << strip.itemLabel(i);
    EXPECT_EQ(enabled, (QStringList{QStringLiteral("Add Assy"), QStringLiteral("Columns")}));

    strip.setup(2);
    ASSERT_EQ(strip.itemCount(), 5);
    EXPECT_EQ(strip.itemLabel(1), QStringLiteral("Delete"));
    strip.setEnabledAll(false);
    enabled.clear();
    for (int i = 0; i < strip.itemCount(); ++i)
        if (strip.itemEnabled(i))
            enabled << strip.itemLabel(i);
    EXPECT_EQ(enabled, (QStringList{QStringLiteral("Insert"), QStringLiteral("Columns")}));
    strip.resize(strip.sizeHint());
    strip.show();

    QSignalSpy commands(&strip, &CMiniMenu::command);
    const auto at = [](int item) { return QPoint(CMiniMenu::kItemWidth * item + 40, 18); };
    QTest::mouseClick(&strip, Qt::LeftButton, {}, at(1)); // disabled
    EXPECT_EQ(commands.count(), 0);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, at(3));
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), CMiniMenu::kCommandChosen);
    EXPECT_EQ(strip.chosen(), 3);
    // Released on another item than the one pressed: nothing chosen.
    strip.setEnabledAll(true);
    QTest::mousePress(&strip, Qt::LeftButton, {}, at(0));
    EXPECT_EQ(strip.pressedItem(), 0);
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, at(2));
    EXPECT_EQ(commands.count(), 1);
    EXPECT_EQ(strip.pressedItem(), -1);
    EXPECT_EQ(strip.chosen(), 3);
}

TEST(ImageMenu, NarrowBarShowsIconsWithTheirNamesAsTips)
{
    CImageMenu bar;
    std::vector<std::pair<QString, int>> entries;
    for (int i = 0; i < 12; ++i)
        entries.push_back({QStringLiteral("Entry %1").arg(i), 1000 + i});
    entries.push_back({QStringLiteral("&Group"), 0});
    bar.setup(entries);
    bar.resize(2000, bar.barHeight());
    bar.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar.isCompact());
    EXPECT_EQ(bar.rowCount(), 1);
    const int fullHeight = bar.height();

    // Too narrow for the labels: one row of icons, much lower.
    bar.resize(600, bar.height());
    QCoreApplication::processEvents();
    EXPECT_TRUE(bar.isCompact());
    EXPECT_EQ(bar.rowCount(), 1);
    EXPECT_LT(bar.height(), fullHeight / 2);
    for (int i = 0; i < 12; ++i) {
        EXPECT_TRUE(bar.rect().contains(bar.entryRect(i))) << i;
        EXPECT_EQ(bar.hitTest(bar.entryRect(i).center()), i);
    }
    QSignalSpy commands(&bar, &CImageMenu::command);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.entryRect(5).center());
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1005);
    // Narrower still: the icons wrap rather than fall off.
    bar.resize(200, bar.height());
    QCoreApplication::processEvents();
    EXPECT_GT(bar.rowCount(), 1);
    EXPECT_TRUE(bar.rect().contains(bar.entryRect(11)));
}

TEST(HelpWindow, ContentsSearchAndAMissingFile)
{
    CHelpWindow help(ProgramDir() + QStringLiteral("/help/KOLT.html"));
    help.show();
    QStringList titles;
    for (QTreeWidgetItemIterator it(help.contents()); *it; ++it)
        titles << (*it)->text(0);
    // What a new user needs is in the contents.
    for (const char* title : {"Working in the grid", "Make and Buy", "Sources", "Receiving", "Completing an order",
                              "The task list", "The timeline", "Importing a bill", "Revisions"})
        EXPECT_TRUE(titles.contains(QString::fromLatin1(title))) << title;

    // A contents entry brings its heading into view.
    const int before = help.browser()->verticalScrollBar()->value();
    ASSERT_TRUE(help.ShowSection(QStringLiteral("Revisions")));
    EXPECT_GT(help.browser()->verticalScrollBar()->value(), before);
    EXPECT_TRUE(help.browser()->textCursor().block().text().contains(QStringLiteral("Revisions")));

    // Search marks every place and moves on with each Enter.
    QTest::keyClicks(help.searchBox(), QStringLiteral("Ctrl+D"));
    QTest::keyClick(help.searchBox(), Qt::Key_Return);
    EXPECT_GE(help.browser()->extraSelections().size(), 1);
    EXPECT_EQ(help.browser()->textCursor().selectedText(), QStringLiteral("Ctrl+D"));
    EXPECT_EQ(help.Find(QStringLiteral("no such words anywhere")), 0);

    CHelpWindow missing(QStringLiteral("/nowhere/KOLT.html"));
    EXPECT_TRUE(missing.browser()->toPlainText().contains(QStringLiteral("/nowhere/KOLT.html")));
}

// In a dark dialog an unticked box must still stand out from the dialog, and a
// tick must stand out from its box.
TEST(DarkLook, CheckBoxesShowTheirBoxAndTick)
{
    InstallDarkIndicators();
    QDialog dialog;
    ApplyDarkLook(&dialog);
    dialog.resize(200, 80);
    auto* unticked = new QCheckBox(QStringLiteral("Sunday"), &dialog);
    unticked->move(10, 10);
    auto* ticked = new QCheckBox(QStringLiteral("Saturday"), &dialog);
    ticked->move(10, 40);
    ticked->setChecked(true);
    dialog.show();
    QCoreApplication::processEvents();
    const QImage image = dialog.grab().toImage();
    auto boxPixels = [&](QCheckBox* box) {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect r = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box)
                            .translated(box->pos());
        QSet<QRgb> colours;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                colours.insert(image.pixel(x, y));
        return std::pair{colours, r};
    };
    const QRgb background = image.pixel(190, 75);
    const auto [plain, plainRect] = boxPixels(unticked);
    ASSERT_FALSE(plainRect.isEmpty());
    // The edge and the inside differ from the dialog around them.
    EXPECT_GE(plain.size(), 2);
    EXPECT_TRUE(std::any_of(plain.begin(), plain.end(),
                            [&](QRgb c) { return qAbs(qGray(c) - qGray(background)) > 60; }));
    const auto [tick, tickRect] = boxPixels(ticked);
    // The tick is light on the dark inside.
    EXPECT_TRUE(std::any_of(tick.begin(), tick.end(), [](QRgb c) { return qGray(c) > 200; }));
    EXPECT_TRUE(std::any_of(tick.begin(), tick.end(), [](QRgb c) { return qGray(c) < 60; }));
    EXPECT_NE(plain, tick);
}
