#include "core/PanelRegistry.h"
#include "CountingPanel.h"
#include "core/IApplication.h"

#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

TEST(PanelRegistry, CreatesRegisteredPanelsByClassIdentifier)
{
    panelRegistry::registerPanel(QStringLiteral("Varix.UCKVR"),
                                 [](QWidget *parent) { return new CountingPanel(parent); });
    QWidget host;
    QWidget *panel = panelRegistry::createPanel(QStringLiteral("varix.uckvr"), &host);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), &host);
    IApplication *application = panelRegistry::applicationOf(panel);
    ASSERT_NE(application, nullptr);
    application->Closing();
    EXPECT_EQ(static_cast<CountingPanel *>(panel)->closings, 1);

    EXPECT_EQ(panelRegistry::createPanel(QStringLiteral("Varix.Other"), &host), nullptr);
    EXPECT_EQ(panelRegistry::createPanel(QString(), &host), nullptr);
    EXPECT_EQ(panelRegistry::applicationOf(&host), nullptr);
}

TEST(PanelRegistry, RefusesWidgetsThatAreNoPanel)
{
    QPointer<QWidget> made;
    panelRegistry::registerPanel(QStringLiteral("Varix.Plain"), [&made](QWidget *parent) {
        made = new QWidget(parent);
        return made.data();
    });
    QWidget host;
    EXPECT_EQ(panelRegistry::createPanel(QStringLiteral("Varix.Plain"), &host), nullptr);
    EXPECT_TRUE(made.isNull());
}
