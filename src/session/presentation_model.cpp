#include "session/presentation_model.h"

namespace quay {

const ControlState& PresentationModel::control(const std::string& name) const {
    static const ControlState unknown;
    auto it = m_controls.find(name);
    return it == m_controls.end() ? unknown : it->second;
}

std::vector<std::string> PresentationModel::controlNames() const {
    std::vector<std::string> names;
    names.reserve(m_controls.size());
    for (const auto& [name, state] : m_controls)
        names.push_back(name);
    return names;
}

void PresentationModel::defineControl(const std::string& name, ControlState state) {
    m_controls[name] = std::move(state);
    if (onControlChanged)
        onControlChanged(name);
}

template <typename T>
void PresentationModel::assign(const std::string& name, T ControlState::*field, T value) {
    ControlState& state = m_controls[name];
    if (state.*field == value)
        return;
    state.*field = std::move(value);
    if (onControlChanged)
        onControlChanged(name);
}

void PresentationModel::setEnabled(const std::string& name, bool enabled) {
    assign(name, &ControlState::enabled, enabled);
}

void PresentationModel::setVisible(const std::string& name, bool visible) {
    assign(name, &ControlState::visible, visible);
}

void PresentationModel::setChecked(const std::string& name, bool checked) {
    assign(name, &ControlState::checked, checked);
}

void PresentationModel::setText(const std::string& name, const std::string& text) {
    assign(name, &ControlState::text, text);
}

void PresentationModel::setHint(const std::string& name, const std::string& hint) {
    assign(name, &ControlState::hint, hint);
}

void PresentationModel::setTag(const std::string& name, int tag) {
    assign(name, &ControlState::tag, tag);
}

void PresentationModel::setCursor(const std::string& name, Cursor cursor) {
    assign(name, &ControlState::cursor, cursor);
}

void PresentationModel::appendLog(std::string line) {
    m_logLines.push_back(std::move(line));
    if (m_logLines.size() > kLogLineLimit)
        m_logLines.pop_front();
    if (onLogAppended)
        onLogAppended(m_logLines.back());
}

void PresentationModel::clearLog() {
    m_logLines.clear();
    if (onLogCleared)
        onLogCleared();
}

void PresentationModel::setWindowFont(const WindowFont& font) {
    if (font == m_windowFont)
        return;
    m_windowFont = font;
    if (onWindowFontChanged)
        onWindowFontChanged();
}

const PaneFont& PresentationModel::paneFont(const std::string& list) const {
    static const PaneFont unset;
    auto it = m_paneFonts.find(list);
    return it == m_paneFonts.end() ? unset : it->second;
}

void PresentationModel::setPaneFont(const std::string& list, const PaneFont& font) {
    PaneFont& current = m_paneFonts[list];
    if (current == font)
        return;
    current = font;
    if (onPaneFontChanged)
        onPaneFontChanged(list);
}

void PresentationModel::setScreenCursor(Cursor cursor) {
    if (m_screenCursor == cursor)
        return;
    m_screenCursor = cursor;
    if (onScreenCursorChanged)
        onScreenCursorChanged();
}

void PresentationModel::setWindowTitle(const std::string& title) {
    if (m_windowTitle == title)
        return;
    m_windowTitle = title;
    if (onWindowTitleChanged)
        onWindowTitleChanged();
}

void PresentationModel::setStatusText(const std::string& text) {
    if (m_statusText == text)
        return;
    m_statusText = text;
    if (onStatusTextChanged)
        onStatusTextChanged();
}

void PresentationModel::setCommandEnabled(Command command, bool enabled) {
    const auto index = static_cast<std::size_t>(command);
    if (m_commandEnabled[index] == enabled)
        return;
    m_commandEnabled[index] = enabled;
    if (onCommandChanged)
        onCommandChanged(command);
}

}  // namespace quay
