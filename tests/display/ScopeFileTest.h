#pragma once

#include "ScopeFixture.h"
#include "ScriptedResponder.h"
#include "platform/UiService.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// A scope on screen 500 pixels wide, a scripted user and a file path of the test's own.
class ScopeFileTest : public ::testing::Test {
protected:
    ScriptedResponder ui;
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("scope.log"));
    ScopeFixture view{500, 300};
    Oscilloscope &scope = *view.scope;
};
