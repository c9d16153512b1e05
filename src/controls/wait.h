#pragma once
// The progress window of long multi-row work: a caption and a bar, shown
// beside the work on the same thread; it takes no input.
#include <QWidget>

class QProgressBar;

class CWait : public QWidget
{
    Q_OBJECT
public:
    explicit CWait(QWidget* parent = nullptr, const QString& caption = QStringLiteral("Database Access..."));

    void setCaption(const QString& caption);
    void setRange(int minimum, int maximum);
    void setPosition(int position);
    QProgressBar* bar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Paints the window now: the work holds the event loop until it ends.
    void refresh();

    QProgressBar* m_bar = nullptr;
};
