#pragma once

#include <QTableView>

class LayoutGridModel;

// The export window's view of a layout: two columns, field name (3680 twips) and width (800
// twips), with row 0 drawn as a fixed, bold header row. Read only; whole rows are selected.
class LayoutGridView final : public QTableView
{
    Q_OBJECT

public:
    LayoutGridView(LayoutGridModel* grid, QWidget* parent = nullptr);
};
