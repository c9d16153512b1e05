#pragma once
// The start-up picture with the version line; closes itself after two seconds.
#include <QDialog>

class QTimer;

class CSplash : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 2000;

    explicit CSplash(QWidget* parent = nullptr);
    QTimer* timer() const { return m_timer; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer = nullptr;
};

// The About box: program name, "Version 1.0" and OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
