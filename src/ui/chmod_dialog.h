#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <array>

#include "panes/chmod_model.h"

namespace quay {

// The permissions dialog (form "_ChMod", caption "Change File Attributes") on a ChmodModel:
// the boxes cb1 to cb9, the row buttons SpeedButton6 to SpeedButton8, the column buttons
// SpeedButton3 to SpeedButton5, the edit Edit1 ("Manual", octal digits only), "Ok"
// (SpeedButton1) and "Cancel" (SpeedButton2). Every user action goes to the model at once and
// the widgets show the model's state. exec() returns Accepted for "Ok".
class ChmodDialog : public QDialog {
    Q_OBJECT
public:
    explicit ChmodDialog(ChmodModel& model, QWidget* parent = nullptr);
    ~ChmodDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    QString captionOf(const QString& buttonName) const;

    ChmodModel& m_model;
    std::array<QCheckBox*, 9> m_boxes{};
    QLineEdit* m_edit = nullptr;
};

}  // namespace quay
