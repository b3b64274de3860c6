#include "ui/flat_scroll_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace quay {

void FlatScrollBar::paintEvent(QPaintEvent*) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Window));
    const QRect handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    if (handle.isValid() && isEnabled()) {
        painter.fillRect(handle, colours.color(isSliderDown() ? QPalette::Dark : QPalette::Mid));
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawRect(handle.adjusted(0, 0, -1, -1));
    }
    const bool vertical = orientation() == Qt::Vertical;
    const struct {
        QStyle::SubControl part;
        QStyle::PrimitiveElement arrow;
    } arrows[] = {
        {QStyle::SC_ScrollBarSubLine,
         vertical ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowLeft},
        {QStyle::SC_ScrollBarAddLine,
         vertical ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight},
    };
    for (const auto& [part, arrow] : arrows) {
        const QRect area = style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this);
        if (area.isEmpty())
            continue;
        QStyleOption arrowOption;
        arrowOption.initFrom(this);
        arrowOption.rect = area;
        style()->drawPrimitive(arrow, &arrowOption, &painter, this);
    }
}

}  // namespace quay
