#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

namespace quay::test {

// Runs action on the modal dialog named name (any one for nullptr) once it is the active one.
inline void whenModal(const char* name, std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [name, action] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr &&
                    (name == nullptr ||
                     QApplication::activeModalWidget()->objectName() == QLatin1String(name)));
        action(QApplication::activeModalWidget());
    });
}

// Runs action on the next modal dialog once it is shown.
inline void whenModal(std::function<void(QWidget*)> action) {
    whenModal(nullptr, std::move(action));
}

}  // namespace quay::test
