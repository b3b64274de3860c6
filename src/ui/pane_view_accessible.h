#pragma once

#include <QAccessibleWidget>

namespace quay {

class PaneView;

// What assistive tools see of a file list: the one view the list shows, nothing of the view
// it keeps hidden. Without it the hidden view's rows would be offered too, at the places the
// hidden view would draw them, so a screen reader's highlight would land beside the row.
class PaneViewAccessible : public QAccessibleWidget {
public:
    explicit PaneViewAccessible(PaneView& view);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    // Makes Qt use this interface for every PaneView; installing it twice does no harm.
    static void install();

private:
    QWidget* shown() const;
};

}  // namespace quay
