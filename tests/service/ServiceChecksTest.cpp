// Checks of the service page's inputs: warranty and clock date/time, service and cycle counters.
#include "service/ServiceChecks.h"

#include <gtest/gtest.h>

TEST(ServiceChecks, DateTimeInput)
{
    struct Case {
        const char *hour, *minute, *day, *month, *year;
        bool warranty, clock;  // accepted by the warranty check, by the clock check
    };
    const Case cases[] = {
        {"12", "00", "31", "02", "2010", true, true},  // the day is not compared with the month
        {"00", "00", "01", "01", "2000", true, false},
        {"23", "59", "31", "12", "2007", true, false},
        {"23", "59", "31", "12", "2008", true, true},
        {"10", "30", "15", "06", "2021", true, true},
        {"10", "30", "15", "06", "2026", true, true},
        {"10", "30", "15", "06", "2099", true, true},
        {"10", "30", "15", "06", "2100", false, false},
        {"10", "30", "15", "06", "1999", false, false},
        {"24", "00", "01", "01", "2010", false, false},
        {"-1", "00", "01", "01", "2010", false, false},
        {"12", "60", "01", "01", "2010", false, false},
        {"12", "", "01", "01", "2010", false, false},
        {"12", "00", "0", "01", "2010", false, false},
        {"12", "00", "32", "01", "2010", false, false},
        {"12", "00", "01", "0", "2010", false, false},
        {"12", "00", "01", "13", "2010", false, false},
        {"12", "00", "01", "01", "", false, false},
        {"1a", "00", "01", "01", "2010", false, false},
        {"12", "00", "01", "01", "20.1", false, false},
        {" 7", "5 ", "1", "2", "2010", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1:%2 %3.%4.%5").arg(c.hour, c.minute, c.day, c.month, c.year).toStdString());
        EXPECT_EQ(checkWarrantyInput(c.hour, c.minute, c.day, c.month, c.year).has_value(), c.warranty);
        EXPECT_EQ(checkClockInput(c.hour, c.minute, c.day, c.month, c.year).has_value(), c.clock);
    }
    const auto t = checkWarrantyInput("14", "30", "01", "02", "2010");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, (ToolDateTime{1, 2, 2010, 14, 30}));
}

TEST(ServiceChecks, WarrantyRunsUnlessNoDate)
{
    EXPECT_FALSE(warrantyRuns(0, 0, 0));
    EXPECT_TRUE(warrantyRuns(255, 255, 255));  // a failed read counts as running
    EXPECT_TRUE(warrantyRuns(1, 2, 2010));
    EXPECT_TRUE(warrantyRuns(0, 0, 2010));
}

TEST(ServiceChecks, ServiceCounterEditIsCappedAtTheInterval)
{
    struct Case {
        const char* text;
        std::uint32_t interval, shown;
    };
    const Case cases[] = {
        {"250", 200, 200},
        {"250", 500, 250},
        {"200", 200, 200},
        {"abc", 200, 200},
        {"abc", 500, 500},
        {"abc", 200000, 100000},
        {"", 300, 300},
        {"-5", 200, 200},  // compared unsigned
        {"0", 200, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(limitServiceCounter(c.text, c.interval), c.shown);
    }
}

TEST(ServiceChecks, CounterValuesToSend)
{
    EXPECT_EQ(serviceCounterToSend("150", 200), 150u);
    EXPECT_EQ(serviceCounterToSend(QStringLiteral("Service fällig"), 200), 200u);
    EXPECT_EQ(serviceCounterToSend("99999999999", 200), 200u);  // beyond 32 bits does not parse
    EXPECT_EQ(cycleCounterToSend("123456"), 123456u);
    EXPECT_EQ(cycleCounterToSend(""), 0u);
    EXPECT_EQ(cycleCounterToSend("x1"), 0u);
}
