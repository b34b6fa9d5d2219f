#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QTimer;

// The one way an edit of a panel parameter reaches the device. Fast edits (slider drags, typing)
// wait in the apply timer and pause the status timer meanwhile; a final edit, or the timer firing,
// applies the parameter that waits.
class ParameterHub : public QObject {
    Q_OBJECT
public:
    static constexpr int ApplyDelayMs = 500;

    // Refreshes the panel's own display of a parameter and, when final, writes it to the device.
    using Apply = std::function<void(int32_t id, bool final)>;

    ParameterHub(QTimer &statusTimer, Apply apply, QObject *parent = nullptr);

    // Id 0 only settles what waits.
    void ParameterChanged(int32_t id, bool final);
    void tmrApplyChanges_Timer();

    bool EditPending() const { return editPending_; }
    int32_t PendingParameter() const { return pendingParameter_; }

    // While the panel is closed its status timer stays off, whatever an edit settles.
    void setStatusPollingAllowed(bool allowed) { statusAllowed_ = allowed; }

    QTimer *tmrApplyChanges;

private:
    void startStatusTimer();

    QTimer &tmrGetStatus_;
    Apply apply_;
    int32_t pendingParameter_ = 0;
    bool editPending_ = false;
    bool statusAllowed_ = true;
};
