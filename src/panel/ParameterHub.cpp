#include "ParameterHub.h"

#include <QTimer>

ParameterHub::ParameterHub(QTimer &statusTimer, Apply apply, QObject *parent)
    : QObject(parent), tmrApplyChanges(new QTimer(this)), tmrGetStatus_(statusTimer), apply_(std::move(apply))
{
    tmrApplyChanges->setObjectName(QStringLiteral("tmrApplyChanges"));
    tmrApplyChanges->setInterval(ApplyDelayMs);
    connect(tmrApplyChanges, &QTimer::timeout, this, &ParameterHub::tmrApplyChanges_Timer);
}

void ParameterHub::ParameterChanged(int32_t id, bool final)
{
    if (pendingParameter_ != 0 && pendingParameter_ != id) {
        apply_(pendingParameter_, true);
        pendingParameter_ = 0;
    }
    if (final) {
        tmrApplyChanges->stop();
        startStatusTimer();
        editPending_ = false;
    } else {
        pendingParameter_ = id;
        tmrApplyChanges->start();
        tmrGetStatus_.stop();
        editPending_ = true;
    }
    if (id != 0)
        apply_(id, final);
}

void ParameterHub::tmrApplyChanges_Timer()
{
    tmrApplyChanges->stop();
    ParameterChanged(0, true);
    startStatusTimer();
}

// Enabling a running status timer keeps its cadence; a new edit restarts the apply timer, so a
// burst of keystrokes is written once, after the last.
void ParameterHub::startStatusTimer()
{
    if (statusAllowed_ && !tmrGetStatus_.isActive())
        tmrGetStatus_.start();
}
