// Barcodes, drawing helpers and artwork, rendered into images.
#include "controls/artwork.h"
#include "controls/barcode.h"
#include "controls/drawing.h"
#include "core/appstate.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "controls_tests";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance())
            m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QGuiApplication* m_app = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// Renders the barcode with a quiet zone on white and reads it back with zbarimg.
QString decodeBarcode(const QString& text, double pointSize, const QString& folder)
{
    QImage image(900, 200, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dpi
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF covered = PrintBarcode(text, Qt::black, pointSize, 40, 30, painter);
    painter.end();
    EXPECT_LT(covered.right(), image.width() - 20) << "barcode must fit with a quiet zone";
    static int serial = 0;
    const QString path = folder + QStringLiteral("/barcode%1.png").arg(++serial);
    EXPECT_TRUE(image.save(path));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), path});
    zbar.waitForFinished(30000);
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

int countRuns(const QImage& image, int y, QRgb colour)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool on = image.pixel(x, y) == colour;
        if (on && !inside)
            ++runs;
        inside = on;
    }
    return runs;
}

} // namespace

TEST(Barcode, PatternsFollowCode39)
{
    EXPECT_EQ(Code39Pattern(QLatin1Char('*')), QStringLiteral("nwnnwnwnn"));
    EXPECT_EQ(Code39Pattern(QLatin1Char('0')), QStringLiteral("nnnwwnwnn"));
    EXPECT_EQ(Code39Pattern(QLatin1Char('A')), QStringLiteral("wnnnnwnnw"));
    EXPECT_EQ(Code39Pattern(QLatin1Char('-')), QStringLiteral("nwnnnnwnw"));
    EXPECT_EQ(Code39Pattern(QLatin1Char('a')), Code39Pattern(QLatin1Char('A')));
    EXPECT_TRUE(Code39Pattern(QLatin1Char('#')).isEmpty());
    // Every character of the set has nine elements, three of them wide, and
    // no two characters share a pattern.
    const QString set = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*");
    QStringList seen;
    for (const QChar c : set) {
        const QString p = Code39Pattern(c);
        ASSERT_EQ(p.size(), 9) << QString(c).toStdString();
        EXPECT_EQ(p.count(QLatin1Char('w')), 3) << QString(c).toStdString();
        EXPECT_FALSE(seen.contains(p)) << QString(c).toStdString();
        seen << p;
    }

    int skipped = -1;
    const QString symbol = Code39Encode(QStringLiteral("A#*1"), &skipped);
    EXPECT_EQ(skipped, 2);
    // start + A + 1 + stop, each nine elements, and the three gaps between them.
    EXPECT_EQ(symbol.size(), 4 * 9 + 3);
    EXPECT_TRUE(symbol.startsWith(Code39Pattern(QLatin1Char('*'))));
    EXPECT_TRUE(symbol.endsWith(Code39Pattern(QLatin1Char('*'))));
}

TEST(Barcode, PrintedBarcodesReadBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(decodeBarcode(QStringLiteral("ABC-1"), 24, dir.path()), QStringLiteral("ABC-1"));
    EXPECT_EQ(decodeBarcode(QStringLiteral("P0066"), 24, dir.path()), QStringLiteral("P0066"));
    EXPECT_EQ(decodeBarcode(QStringLiteral("Z.9 $/+%"), 12, dir.path()), QStringLiteral("Z.9 $/+%"));

    // The bar height follows the point size and the device's resolution.
    QImage image(2400, 400, QImage::Format_RGB32);
    image.setDotsPerMeterX(11811); // 300 dpi
    image.setDotsPerMeterY(11811);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF covered = PrintBarcode(QStringLiteral("P0066"), Qt::black, 36, 10, 10, painter);
    painter.end();
    EXPECT_DOUBLE_EQ(covered.height(), 150.0);
    // *P0066* has seven characters of five bars each.
    EXPECT_EQ(countRuns(image, 80, qRgb(0, 0, 0)), 35);
}

TEST(Drawing, PanelsBackgroundsAndColours)
{
    QImage image(200, 100, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    FillDialogBackground(painter, image.rect());
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(192, 192, 192));
    EXPECT_LE(qRed(image.pixel(199, 99)), 100);
    FillDialogBackground(painter, image.rect(), kBackgroundDark);
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(128, 128, 128));

    image.fill(Qt::transparent);
    DrawCaptionedPanel(painter, QStringLiteral("Files"), 10, 10, 190, 90, 20, 20);
    // Corners stay empty, the left of the panel is light and the right dark grey.
    EXPECT_EQ(qAlpha(image.pixel(11, 11)), 0);
    EXPECT_GT(qRed(image.pixel(14, 80)), qRed(image.pixel(185, 80)));
    EXPECT_LT(qRed(image.pixel(100, 10)), 60); // the black outline

    EXPECT_EQ(ControlColour(kControlEdit, painter).color(), QColor(32, 32, 32));
    EXPECT_EQ(painter.pen().color(), QColor(255, 255, 255));
    EXPECT_EQ(ControlColour(kControlOther, painter).style(), Qt::NoBrush);
    EXPECT_EQ(painter.backgroundMode(), Qt::TransparentMode);
}

TEST(Drawing, PicturesAndCells)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    App().DataFolder = dir.path();
    App().PictureFolder.clear();
    QDir(dir.path()).mkpath(QStringLiteral("Picture"));
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(dir.path() + QStringLiteral("/Picture/red.png")));
    QImage white(10, 10, QImage::Format_RGB32);
    white.fill(QColor(224, 224, 224));
    ASSERT_TRUE(white.save(dir.path() + QStringLiteral("/Picture/key.png")));

    QImage canvas(100, 50, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    // A bare name comes from the picture folder; the square is centred.
    EXPECT_TRUE(DrawPictureFile(QStringLiteral("red.png"), painter, canvas.rect()));
    EXPECT_EQ(QColor(canvas.pixel(50, 25)), QColor(255, 0, 0));
    EXPECT_EQ(qAlpha(canvas.pixel(10, 25)), 0);
    EXPECT_FALSE(DrawPictureFile(QStringLiteral("missing.jpg"), painter, canvas.rect()));
    // Stored names may carry either separator.
    EXPECT_TRUE(DrawPictureFile(dir.path() + QStringLiteral("\\Picture\\red.png"), painter, canvas.rect()));
    EXPECT_TRUE(DrawPictureFile(dir.path() + QStringLiteral("/Picture/red.png"), painter, canvas.rect()));

    canvas.fill(Qt::transparent);
    CellPainter cell;
    cell.width = 100;
    cell.height = 50;
    cell.fill = true;
    cell.gradient = false;
    cell.text = QString();
    cell.draw(painter);
    EXPECT_EQ(QColor(canvas.pixel(50, 25)), QColor(0, 0, 255));
    cell.gradient = true;
    cell.draw(painter);
    EXPECT_GT(qBlue(canvas.pixel(2, 2)), qBlue(canvas.pixel(97, 47)));

    canvas.fill(Qt::transparent);
    cell.picture = true;
    cell.pictureFile = QStringLiteral("key.png");
    cell.draw(painter);
    EXPECT_EQ(qAlpha(canvas.pixel(50, 25)), 0) << "the near-white key colour is transparent";
    cell.pictureFile.clear();
    cell.draw(painter);
    EXPECT_EQ(qAlpha(canvas.pixel(1, 1)), 0) << "the placeholder's magenta is transparent";
    EXPECT_GT(qAlpha(canvas.pixel(50, 25)), 0);
}

TEST(Artwork, StripsHaveTheirSizesAndOrders)
{
    EXPECT_EQ(ArtworkCellSize(kArtCommandBar), QSize(48, 48));
    EXPECT_EQ(ArtworkCellCount(kArtCommandBar), 17); // Tasks joined the bar
    EXPECT_EQ(ArtworkCellSize(kArtButtonBackgrounds), QSize(96, 48));
    EXPECT_EQ(ArtworkCellCount(kArtButtonBackgrounds), 4);
    EXPECT_EQ(ArtworkCellCount(kArtButtonIcons) % 2, 0);
    EXPECT_EQ(ArtworkCellSize(kArtMiniMenuBackgrounds), QSize(128, 36));
    EXPECT_EQ(ArtworkCellCount(kArtMiniMenuIcons), 15);
    EXPECT_EQ(ArtworkCellCount(kArtBomMenuIcons), 16);
    EXPECT_EQ(ArtworkCellCount(kArtTreeIcons), 11);
    EXPECT_EQ(ArtworkCellCount(kArtCategories), 7);
    EXPECT_EQ(ArtworkCellCount(kArtFieldIcons), 16);
    EXPECT_EQ(Artwork(kArtSplash).size(), QSize(480, 270));
    EXPECT_TRUE(Artwork(12345).isNull());
    // Disabled mini-menu icons are greyed copies ten cells on.
    const QImage normal = ArtworkCell(kArtMiniMenuIcons, 0);
    const QImage disabled = ArtworkCell(kArtMiniMenuIcons, 10);
    EXPECT_NE(normal, disabled);
    EXPECT_FALSE(disabled.isNull());
    EXPECT_EQ(ArtworkCell(kArtCommandBar, 99).size(), QSize(48, 48));
}
