#pragma once

#include <QColor>
#include <QPalette>

namespace quay::test {

// A dark desktop palette as dark themes set it: light text on dark fields and windows.
inline QPalette darkPalette() {
    QPalette p;
    const QColor window(0x35, 0x35, 0x35), base(0x24, 0x24, 0x24), text(0xee, 0xee, 0xee);
    const QColor disabledText(0x8c, 0x8c, 0x8c);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, QColor(0x30, 0x30, 0x30));
        p.setColor(group, QPalette::Button, window);
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
            p.setColor(group, role, disabled ? disabledText : text);
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::PlaceholderText, disabledText);
        p.setColor(group, QPalette::Highlight, QColor(0x1e, 0x5a, 0x9e));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Light, QColor(0x50, 0x50, 0x50));
        p.setColor(group, QPalette::Midlight, QColor(0x45, 0x45, 0x45));
        p.setColor(group, QPalette::Mid, QColor(0x28, 0x28, 0x28));
        p.setColor(group, QPalette::Dark, QColor(0x1a, 0x1a, 0x1a));
        p.setColor(group, QPalette::Shadow, Qt::black);
        p.setColor(group, QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    }
    return p;
}

}  // namespace quay::test
