#pragma once

#include <QScrollBar>

namespace quay {

// A scroll bar drawn flat: the groove in the window colour, the handle in the mid colour with
// a frame, the arrows by the style. Where the parts lie and how the mouse moves them is the
// style's, as for any scroll bar. The Fusion style draws its groove and handle with gradients
// over the bar's whole length, which Qt hands to its painting threads: 2 to 20 ms per paint of
// the log pane's bar on a loaded two-core machine, and the log pane's bar is painted each time
// lines come in, also while a transfer runs.
class FlatScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quay
