#pragma once

#include "core/IApplication.h"
#include "core/Parameters.h"
#include "core/Setting.h"

#include <QStringList>
#include <QWidget>
#include <functional>

// An application panel that only counts what the shell asks of it; its setting is two parameters.
class CountingPanel : public QWidget, public IApplication {
public:
    using QWidget::QWidget;
    void ApplySetting(Setting &setting) override
    {
        for (const auto &parameter : *setting.Parameters())
            applied << parameter->Tag() + QLatin1Char('=') + parameter->Value();
    }
    void SaveSetting(Setting &setting) override
    {
        setting.Parameters()->Add(QStringLiteral("A"), QStringLiteral("1"));
        setting.Parameters()->Add(QStringLiteral("B"), QStringLiteral("x y"));
    }
    void GetFocus() override {}
    void Closing() override { ++closings; }
    void Reopening() override
    {
        ++reopenings;
        if (onReopening)
            onReopening();
    }
    QSize sizeHint() const override { return hint; }
    QSize hint{640, 420};
    int closings = 0;
    int reopenings = 0;
    std::function<void()> onReopening;
    QStringList applied;
};
