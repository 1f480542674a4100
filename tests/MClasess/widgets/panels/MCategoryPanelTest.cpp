// The collapsible panels and their scrolling column.

#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Nested layouts pass a change up one level per round of posted events.
void SettleLayouts()
{
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

QAbstractButton* HeaderOf(MCategoryPanel& panel) { return panel.findChild<QAbstractButton*>(); }

TEST(MCategoryPanelTest, CollapsingShrinksThePanelToItsHeaderAndOpeningBringsTheBodyBack)
{
    MCategoryPanel panel(QStringLiteral("Atoms"));
    panel.SetHeaderHeight(16);
    panel.Body()->setFixedHeight(100);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy changes(&panel, &MCategoryPanel::CollapsedChanged);
    EXPECT_EQ(panel.sizeHint().height(), 116);

    panel.SetCollapsed(true);
    panel.SetCollapsed(true);
    EXPECT_TRUE(panel.Collapsed());
    EXPECT_FALSE(panel.Body()->isVisible());
    EXPECT_EQ(panel.sizeHint().height(), 16);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toBool(), true);

    QTest::mouseClick(HeaderOf(panel), Qt::LeftButton);
    EXPECT_FALSE(panel.Collapsed());
    EXPECT_TRUE(panel.Body()->isVisible());
    EXPECT_EQ(panel.sizeHint().height(), 116);
    EXPECT_EQ(changes.count(), 2);
}

TEST(MCategoryPanelTest, AClosedPanelMadeBeforeItIsShownStaysClosedWhenShown)
{
    MCategoryPanel panel(QStringLiteral("View"));
    panel.Body()->setFixedHeight(50);
    panel.SetCollapsed(true);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_FALSE(panel.Body()->isVisible());
    panel.SetCollapsed(false);
    EXPECT_TRUE(panel.Body()->isVisible());
}

TEST(MCategoryPanelTest, HeaderSettingsOfTheGroupReachEveryPanelAndLaterOnes)
{
    MCategoryPanelGroup group;
    MCategoryPanel* file = group.AddPanel(QStringLiteral("File"));
    file->SetHeaderColor(Qt::red);
    QFont font(QStringLiteral("Sans"), 7);
    group.SetHeaderHeight(16);
    group.SetHeaderFont(font);
    EXPECT_EQ(file->HeaderHeight(), 16);
    EXPECT_EQ(file->HeaderFont(), font);
    EXPECT_EQ(file->HeaderColor(), QColor(Qt::red));  // the group has not been given a colour

    const QColor moneyGreen(0xC0, 0xDC, 0xC0);
    group.SetHeaderColor(moneyGreen);
    auto* atoms = new MCategoryPanel(QStringLiteral("Atoms"));
    group.AddPanel(atoms);
    EXPECT_EQ(file->HeaderColor(), moneyGreen);
    EXPECT_EQ(atoms->HeaderColor(), moneyGreen);
    EXPECT_EQ(atoms->HeaderHeight(), 16);
    EXPECT_EQ(atoms->HeaderFont(), font);
}

TEST(MCategoryPanelTest, TheGroupStacksItsPanelsTopToBottomAndScrollsWhenTheyAreTaller)
{
    MCategoryPanelGroup group;
    group.resize(200, 150);
    group.SetHeaderHeight(20);
    QList<MCategoryPanel*> made;
    for (const char* caption : {"File", "Atoms", "Translate", "View"}) {
        MCategoryPanel* panel = group.AddPanel(QString::fromLatin1(caption));
        panel->Body()->setFixedHeight(60);
        made.append(panel);
    }
    EXPECT_EQ(group.Panels(), made);
    group.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&group));
    for (int i = 1; i < made.size(); ++i)
        EXPECT_EQ(made[i]->y(), made[i - 1]->y() + 80);
    EXPECT_GT(group.verticalScrollBar()->maximum(), 0);

    for (MCategoryPanel* panel : made)
        panel->SetCollapsed(true);
    SettleLayouts();
    EXPECT_EQ(group.verticalScrollBar()->maximum(), 0);
    for (int i = 1; i < made.size(); ++i)
        EXPECT_EQ(made[i]->y(), made[i - 1]->y() + 20);
}

}  // namespace
