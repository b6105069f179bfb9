#pragma once

// Hands the drawing of each grid cell to the window that owns the grid,
// optionally after the platform has drawn the cell its own way, and marks the
// current cell over whatever was drawn.

#include <QPainter>
#include <QStyledItemDelegate>
#include <functional>

class CellDrawer : public QStyledItemDelegate {
  public:
    // column, row, the cell's rectangle, and whether the cell is selected
    using Draw = std::function<void(QPainter&, int, int, const QRect&, bool)>;

    // The width of the frame around the current cell, in pixels.
    static constexpr int kFocusMarkWidth = 2;
    static QColor FocusMarkColour(const QPalette& palette) {
        return palette.color(QPalette::Highlight).darker(170);
    }

    CellDrawer(Draw draw, bool platformFirst, QObject* parent)
        : QStyledItemDelegate(parent), draw_(std::move(draw)), platformFirst_(platformFirst) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (platformFirst_) {
            QStyledItemDelegate::paint(painter, option, index);
        }
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->save();
        draw_(*painter, index.column(), index.row(), option.rect, selected);
        painter->restore();
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            DrawFocusMark(*painter, option.rect, option.palette);
        }
    }

  private:
    // The cell's own drawing fills it completely, empty cells and the totals
    // included; without a frame on top the user could not see where the next
    // typed time goes.
    static void DrawFocusMark(QPainter& painter, const QRect& rect, const QPalette& palette) {
        // Darker than the highlight, so that it also stands out on a filled
        // booking cell, which the platform paints in the highlight colour.
        const QColor colour = FocusMarkColour(palette);
        const int w = kFocusMarkWidth;
        painter.save();
        painter.setClipping(false);
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), w), colour);
        painter.fillRect(QRect(rect.left(), rect.bottom() - w + 1, rect.width(), w), colour);
        painter.fillRect(QRect(rect.left(), rect.top(), w, rect.height()), colour);
        painter.fillRect(QRect(rect.right() - w + 1, rect.top(), w, rect.height()), colour);
        painter.restore();
    }

    Draw draw_;
    bool platformFirst_;
};
