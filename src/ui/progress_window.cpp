#include "ui/progress_window.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

#include "ui/font_scale.h"
#include "ui/qt_text.h"
#include "ui/widget_form.h"

namespace quay {

// PaintBox1: a small picture that moves along a track, right while sending, left while
// receiving, hopping up and down with the frame.
class ProgressWindow::Animation : public QWidget {
public:
    Animation(const ProgressModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
        setObjectName(QStringLiteral("PaintBox1"));
        setFixedSize(fontScaled(fontMetrics(), 234), fontScaled(fontMetrics(), 45));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int side = height() / 2;
        painter.fillRect(QRect(m_model.frameX(width()), m_model.frameY(height()), side, side),
                         palette().color(QPalette::Highlight));
    }

private:
    const ProgressModel& m_model;
};

// ProgressBar, drawn flat: a frame and the part done filled in the highlight colour. The
// Fusion style's bar hands its drawing to Qt's painting threads, some 15 to 35 thread wake-ups
// per paint of a bar of this width (0.3 to 1 ms where this takes 0.04), which on a two-core
// machine take turns with the transfer itself.
class ProgressWindow::Bar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        const std::int64_t span = std::int64_t{maximum()} - minimum();
        if (span <= 0 || value() <= minimum())
            return;
        const auto done =
            static_cast<int>(inside.width() * (std::int64_t{value()} - minimum()) / span);
        const QRect filled(inside.left(), inside.top(), done, inside.height());
        painter.fillRect(QStyle::visualRect(layoutDirection(), inside, filled),
                         palette().color(QPalette::Highlight));
    }
};

namespace {

// QProgressBar counts in int: sizes past 2 GiB are scaled down by a common shift.
int barShift(std::int64_t maximum) {
    int shift = 0;
    while ((maximum >> shift) > std::numeric_limits<int>::max())
        ++shift;
    return shift;
}

}  // namespace

ProgressWindow::ProgressWindow(std::shared_ptr<ProgressModel> model, QWidget* parent)
    : QDialog(parent), m_model(std::move(model)) {
    setObjectName(QStringLiteral("TProgress"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setModal(false);
    m_animation = new Animation(*m_model, this);
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setAutoRaise(true);
    m_bar = new Bar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Transfer progress"));
    translateAccessibleName(*m_bar);

    auto* thisFile = group("GroupBox1", "This File");
    auto* fileForm = new QFormLayout(thisFile);
    fileForm->addRow(label("Label1", "Transferred:"), m_transfer = valueLabel("TransferLbl"));
    fileForm->addRow(label("Label2", "Time:"), m_time = valueLabel("TimeLbl"));
    fileForm->addRow(label("Label3", "Time Left:"), m_timeLeft = valueLabel("TimeLeftLbl"));
    auto* allFiles = group("GroupBox2", "All Files");
    auto* allForm = new QFormLayout(allFiles);
    allForm->addRow(label("Label4", "Transferred:"), m_totTransfer = valueLabel("TotTransferLbl"));
    allForm->addRow(label("Label5", "Time:"), m_totTime = valueLabel("TotTimeLbl"));
    allForm->addRow(label("Label6", "Transfer Rate:"), m_rate = valueLabel("TransferRateLbl"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_animation);
    top->addWidget(m_cancel);
    auto* groups = new QHBoxLayout;
    groups->addWidget(thisFile);
    groups->addWidget(allFiles);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_bar);
    layout->addLayout(groups);
    m_running = new QLabel(this);
    m_running->setObjectName(QStringLiteral("RunningLbl"));
    // Names are the server's or the disk's bytes, never markup.
    m_running->setTextFormat(Qt::PlainText);
    m_running->hide();
    layout->addWidget(m_running);

    connect(m_cancel, &QToolButton::clicked, this, [this] { m_model->cancelClick(); });
    m_model->onChanged = [this] { refresh(); };
    auto* flush = new QTimer(this);
    connect(flush, &QTimer::timeout, this, [this] { m_model->flush(); });
    flush->start(static_cast<int>(ProgressModel::kRepaintInterval));
    refresh();
}

ProgressWindow::~ProgressWindow() {
    m_model->onChanged = nullptr;
}

QLabel* ProgressWindow::label(const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A value label has a fixed size and paints its own background. A label whose size may change
// makes the window lay itself out again (measuring every row's text) at each new text, and a
// transparent one has its group box painted beneath it: both several times a second while a
// transfer runs. The width fits the longest usual text and grows when a text does not fit.
QLabel* ProgressWindow::valueLabel(const char* name) {
    QLabel* value = label(name, "");
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setAutoFillBackground(true);
    value->setFixedSize(value->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000 K/sec")),
                        value->sizeHint().height());
    return value;
}

// Measuring a text costs more than setting it, so only a text longer than the last is measured.
void ProgressWindow::setValue(QLabel* value, const QString& text) {
    if (text.size() > value->text().size()) {
        const int width = value->fontMetrics().horizontalAdvance(text);
        if (width > value->maximumWidth())
            value->setFixedWidth(width);
    }
    value->setText(text);
}

QGroupBox* ProgressWindow::group(const char* name, const char* caption) {
    auto* box = new QGroupBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// QProgressBar repaints at once when its value moves the bar, which here is inside the
// transfer's receive or send step and apart from the labels' paint. With its updates held,
// the bar is painted together with the labels in the next paint of the window.
void ProgressWindow::setBar(std::int64_t maximum, std::int64_t position) {
    const int shift = barShift(maximum);
    const int barMaximum = static_cast<int>(maximum >> shift);
    const int barValue = static_cast<int>(std::min(position, maximum) >> shift);
    if (m_bar->maximum() == barMaximum && m_bar->value() == barValue)
        return;
    m_bar->setUpdatesEnabled(false);
    m_bar->setMaximum(barMaximum);
    m_bar->setValue(barValue);
    m_bar->setUpdatesEnabled(true);
}

void ProgressWindow::refresh() {
    const ProgressModel& m = *m_model;
    setWindowTitle(qtext(m.caption()));
    setBar(m.barMaximum(), m.barPosition());
    setValue(m_transfer, qtext(m.transferText()));
    setValue(m_time, qtext(m.timeText()));
    setValue(m_timeLeft, qtext(m.timeLeftText()));
    setValue(m_totTransfer, qtext(m.totalTransferText()));
    setValue(m_totTime, qtext(m.totalTimeText()));
    setValue(m_rate, qtext(m.rateText()));
    showRunningFiles(m.runningFiles());
    m_animation->update();
}

// Each line is elided in its middle to the bar's width, so a long name neither widens the
// window nor hides how far its file is.
void ProgressWindow::showRunningFiles(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines)
        shown.append(
            m_running->fontMetrics().elidedText(qtext(line), Qt::ElideMiddle, m_bar->width()));
    const QString text = shown.join(QLatin1Char('\n'));
    if (text == m_running->text())
        return;
    m_running->setText(text);
    m_running->setVisible(!text.isEmpty());
}

}  // namespace quay
