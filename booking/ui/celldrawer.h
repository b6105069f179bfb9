#pragma once

// Hands the drawing of each grid cell to the window that owns the grid,
// optionally after the platform has drawn the cell its own way.

#include <QPainter>
#include <QStyledItemDelegate>
#include <functional>

class CellDrawer : public QStyledItemDelegate {
  public:
    // column, row, the cell's rectangle, and whether the cell is selected
    using Draw = std::function<void(QPainter&, int, int, const QRect&, bool)>;

    CellDrawer(Draw draw, bool platformFirst, QObject* parent)
        : QStyledItemDelegate(parent), draw_(std::move(draw)), platformFirst_(platformFirst) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (platformFirst_) {
            QStyledItemDelegate::paint(painter, option, index);
        }
        painter->save();
        draw_(*painter, index.column(), index.row(), option.rect,
              option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }

  private:
    Draw draw_;
    bool platformFirst_;
};
