#pragma once
// The dark look of every dialog, for widgets: dark fields with white text on a
// grey gradient, with rounded captioned panels drawn behind groups of fields.
#include <QDialog>
#include <QRect>
#include <QString>
#include <vector>

class QWidget;

// The style sheet behind ControlColour: edit fields, lists, combo boxes,
// spin boxes, date editors and views get RGB(32,32,32) with white text;
// labels, check boxes and radio buttons white text on the background.
QString DarkFieldStyleSheet();
// Applies the dark field colouring to widget and everything inside it.
void ControlColour(QWidget* widget);

// A dialog with the shared background and its captioned panels. Subclasses
// add panels with addPanel and their fields on top of them.
class CDarkDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CDarkDialog(QWidget* parent = nullptr, int backgroundVariant = 0);

    // A rounded panel drawn behind the children; caption translated by the caller.
    void addPanel(const QRect& rect, const QString& caption, int corner = 16);
    void clearPanels();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Panel
    {
        QRect rect;
        QString caption;
        int corner = 16;
    };
    std::vector<Panel> m_panels;
    int m_variant = 0;
};
