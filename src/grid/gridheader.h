#pragma once
// The heading row of the table grid, with a band above the headings where
// the grid keeps its filter box: the band is part of the heading row, so the
// rows and scroll bars are laid out below it as the table view does anyway.
#include <QHeaderView>

class CGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit CGridHeader(QWidget* parent = nullptr);

    void setBand(int height);
    int band() const { return m_band; }
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_band = 0;
};
