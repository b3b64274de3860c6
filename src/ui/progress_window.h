#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "session/progress_model.h"

namespace quay {

// The progress window TProgress: shows a ProgressModel and forwards its Cancel button. Not
// modal, always on top, without title-bar buttons. It repaints when the model announces a
// change, which the model limits to ten times a second, and shows a change the model
// held back within one repaint interval. Escape does not hide it: it lives as long as its
// batch. Below the groups, "RunningLbl" lists the files the transfer queue runs now, one line
// each, elided to the window's width; it is hidden for a batch on the session.
//
// The window shares the model, so it may be deleted later than the batch that made it.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(std::shared_ptr<ProgressModel> model, QWidget* parent = nullptr);
    ~ProgressWindow() override;

    ProgressModel& model() { return *m_model; }
    // Escape (and any other rejection) leaves the window up.
    void reject() override {}

private:
    class Animation;
    class Bar;
    QLabel* label(const char* name, const char* caption);
    QLabel* valueLabel(const char* name);
    static void setValue(QLabel* value, const QString& text);
    QGroupBox* group(const char* name, const char* caption);
    void refresh();
    void showRunningFiles(const std::vector<std::string>& lines);
    void setBar(std::int64_t maximum, std::int64_t position);

    std::shared_ptr<ProgressModel> m_model;
    Animation* m_animation = nullptr;
    QProgressBar* m_bar = nullptr;
    QToolButton* m_cancel = nullptr;
    QLabel* m_transfer = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_timeLeft = nullptr;
    QLabel* m_totTransfer = nullptr;
    QLabel* m_totTime = nullptr;
    QLabel* m_rate = nullptr;
    // The files the transfer queue runs now; hidden while there are none.
    QLabel* m_running = nullptr;
};

}  // namespace quay
