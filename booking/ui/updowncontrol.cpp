#include "updowncontrol.h"

#include <QToolButton>
#include <algorithm>

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setObjectName(QStringLiteral("UpDownUp"));
    down_->setObjectName(QStringLiteral("UpDownDown"));
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &UpDownControl::StepUp);
    connect(down_, &QToolButton::clicked, this, &UpDownControl::StepDown);
}

void UpDownControl::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setPosition(position_);
}

void UpDownControl::setPosition(int position) {
    const int kept = std::clamp(position, minimum_, maximum_);
    if (kept == position_) {
        return;
    }
    position_ = kept;
    emit positionChanged(position_);
}

void UpDownControl::resizeEvent(QResizeEvent*) {
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}
