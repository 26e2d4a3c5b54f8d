#pragma once

// The record dialog's window. Controls: "record", "play", "listen",
// "kinds", "monitor", "dcAdjust", "meter0", "meter1", "peak0", "peak1",
// "offset0", "offset1", "recorded", "timeLeft", "save", "cancel", "help".
// A 100 ms timer runs the model's tick while the dialog is open.

#include "ui/dialogs/RecordDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <QIcon>
#include <QProgressBar>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace bm::dialogs {

// A level bar with a mark at the held peak.
class LevelMeter : public QProgressBar {
public:
    explicit LevelMeter(QWidget* parent);
    void SetPeak(int value);
    int Peak() const { return m_peak; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_peak = 0;
};

class RecordDialogView : public DialogView {
public:
    RecordDialogView(RecordDialogModel& model, const QtDialogEnvironment& environment);
    // The input is closed however the window goes.
    ~RecordDialogView() override;
    void Refresh();

    // The icons the three buttons show: the record and stop icons on the
    // record button, the play icon on "play", the speaker on "listen".
    static QIcon RecordIcon();
    static QIcon StopIcon();
    static QIcon PlayIcon();
    static QIcon ListenIcon();

protected:
    void done(int result) override;

private:
    RecordDialogModel& m_model;
    QToolButton* m_record;
    QToolButton* m_play;
    QToolButton* m_listen;
    QComboBox* m_kinds;
    QCheckBox* m_monitor;
    QCheckBox* m_dcAdjust;
    std::array<LevelMeter*, 2> m_meters{};
    std::array<QLabel*, 2> m_peaks{};
    std::array<QLineEdit*, 2> m_offsets{};
    QLabel* m_recorded;
    QLabel* m_timeLeft;
    QPushButton* m_save;
    QTimer* m_timer;
};

class QtRecordDialog : public RecordDialog {
public:
    explicit QtRecordDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<RecordResult> Run(const RecordRequest& request) override;
    void Notify(RecordTrouble trouble) override;

private:
    QtDialogEnvironment m_environment;
    RecordDialogModel* m_model = nullptr;
    RecordDialogView* m_view = nullptr;
};

} // namespace bm::dialogs
