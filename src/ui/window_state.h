#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <string>

#include "config/options.h"

class QMainWindow;

namespace quay {

// The place a window of the given geometry is shown at on screens with these available areas
// (the first is the primary screen's): unchanged when one area holds all of it; else moved (and
// shrunk when larger) into the area that holds most of it, or into the first when none holds
// any, so a window saved on a screen that is gone comes up on one that is there. A window
// without a saved size gets two thirds of the first area, centred.
QRect placeOnScreens(const QRect& saved, const QList<QRect>& availableAreas);

// Column widths as the options keep them ("100,75,90") and back; a part that is no number reads
// as 0 (no width: the column takes its designed one).
std::string columnWidthsText(const QList<int>& widths);
QList<int> columnWidthsFromText(const std::string& text);

// Keeps the main window's place, size, splitter positions (the directory tree's width, the
// log's height) and the two lists' column widths in state, the options' "Window" section:
// the place and size are applied at once, the rest when the window is first shown (the
// splitters have their sizes then); everything is taken back when the window is asked to
// close. Splitter1 is not kept: it halves the room at every resize. Owned by the window.
class WindowStateKeeper : public QObject {
public:
    WindowStateKeeper(QMainWindow& window, WindowState& state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyPlace();
    void applyLayout();
    void capture();

    QMainWindow& m_window;
    WindowState& m_state;
    bool m_shown = false;
};

}  // namespace quay
