#pragma once

#include "core/IApplication.h"

#include <QWidget>

// An application panel that only counts what the shell asks of it.
class CountingPanel : public QWidget, public IApplication {
public:
    using QWidget::QWidget;
    void ApplySetting(Setting &) override {}
    void SaveSetting(Setting &) override {}
    void GetFocus() override {}
    void Closing() override { ++closings; }
    void Reopening() override {}
    int closings = 0;
};
