#pragma once
// The layout of the assembly tree chart: a breadth-first expansion of one
// assembly (or of every top-level assembly) into boxes, one per use of an
// assembly, placed level by level from left to right.
#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <vector>

#include "db/database.h"

class QPaintDevice;

constexpr int kMaxTreeNodes = 256;
constexpr int kTreeColumnRoom = 8;
constexpr int kTreeColumns = 5;

struct AssemblyNode
{
    QString name;
    QString costText;   // material and labour together
    QString costDetail; // the two, labelled: "Material $10.00  Labor $2.50"
    QString description;
    int lineCount = 0;
    int level = 0;
    int categoryImage = 0; // 0 component, 1 circuit board, 2 wire or cable, 3 packaging or shipping
    int left = 0, top = 0, right = 0, bottom = 0;
    int textLeft = 0, tableTop = 0, tableRight = 0, tableBottom = 0;
    int lineHeight = 0;
    std::array<int, kTreeColumnRoom> columnWidths{};
    std::vector<int> lineRows;   // row of each line in the loaded result
    std::vector<int> childLinks; // box that expands the line's sub-assembly, or -1
};

// The currency symbols of the chart's cost texts; empty for an unknown code.
QString TreeCurrencySymbol(const QString& currencyCode);

// 0 component, 1 circuit board, 2 wire or cable, 3 packaging or shipping (last match wins).
int ChartCategoryImage(const QString& category);

class TreeLayout
{
public:
    TreeLayout();

    QueryResult result;
    QString selectedAssembly; // empty: every top-level assembly
    std::vector<AssemblyNode> nodes;
    int currentLevel = 0;
    std::array<int, kTreeColumnRoom> columnMap{};
    int columnCount = kTreeColumns;
    int maxRight = 0, maxBottom = 0;       // extents of the last build
    int screenWidth = 0, screenHeight = 0; // extents of the last on-screen build
    int marginX = 0, marginY = 0;
    double bodyFontHeight = 14;
    bool printing = false;
    QPaintDevice* printer = nullptr; // set while printing

    // Loads the rows and lays the boxes out. Shows "nothing to sort" when there
    // are no bill rows and "max assemblies exceeded" when the chart needs more
    // boxes than it can draw; returns false in those cases.
    bool build();

    // The text of line k of a box in displayed column c.
    QString cellText(const AssemblyNode& node, int line, int column) const;

    // The fonts the boxes are measured and drawn with.
    QFont bodyFont(int weight = QFont::Medium) const;
    QFont titleFont() const;

    // Scales the fonts for a printed page of the given printable size so the
    // whole chart fits into 90 % of it; uses the remembered screen extents.
    double printScale(int printableWidth, int printableHeight, int dpiX, int dpiY) const;

private:
    void buildNode(int index, const QString& name, int level);
    int firstPartRow(const QString& name) const;

    int m_assy = -1, m_part = -1, m_desc = -1, m_quan = -1, m_level = -1, m_categ = -1, m_item = -1,
        m_price = -1, m_labor = -1, m_ref = -1, m_par = -1, m_cat = -1;
    QHash<QString, std::vector<int>> m_lines;  // assembly -> its rows
    QHash<QString, int> m_partRows;            // part -> first row naming it
};

extern const char* const kTreeCaptions[kTreeColumns];
