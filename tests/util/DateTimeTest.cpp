#include "tray/util/DateTime.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

TEST(DateTime, DayCountStartsAtYearOne) {
    EXPECT_EQ(At(1, 1, 1), 1.0);
    EXPECT_EQ(At(1970, 1, 1), 719163.0);
    EXPECT_EQ(At(1970, 1, 1, 12), 719163.5);
    EXPECT_EQ(At(2000, 3, 1) - At(2000, 2, 28), 2.0);  // 2000 is a leap year
    EXPECT_EQ(At(1900, 3, 1) - At(1900, 2, 28), 1.0);  // 1900 is not
}

TEST(DateTime, DecodeIsTheInverseOfEncodeAcrossMonthAndYearEnds) {
    for (DateTime t : {At(1, 1, 1), At(1999, 12, 31, 23, 59, 59, 999), At(2024, 2, 29, 13, 5, 9),
                       At(2100, 3, 1), At(2025, 7, 4, 13, 5, 9)}) {
        DateTimeFields f = DecodeDateTime(t);
        EXPECT_EQ(EncodeDateTime(f), t);
    }
    DateTimeFields f = DecodeDateTime(At(2024, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(f.year, 2024);
    EXPECT_EQ(f.month, 12);
    EXPECT_EQ(f.day, 31);
    EXPECT_EQ(f.millisecond, 999);
}

TEST(DateTime, UnixTimeConversionRoundsHalvesToEven) {
    EXPECT_EQ(DateTimeToUnixTime(719163.5), 43200);
    EXPECT_EQ(UnixTimeToDateTime(0), 719163.0);
    EXPECT_EQ(DateTimeToUnixTime(UnixTimeToDateTime(1751634309)), 1751634309);
    EXPECT_EQ(DateTimeToUnixTime(kUnixEpochDay + 0.5 / 86400.0), 0);   // 0.5 s -> 0
    EXPECT_EQ(DateTimeToUnixTime(kUnixEpochDay + 1.5 / 86400.0), 2);   // 1.5 s -> 2
    EXPECT_EQ(DateTimeToUnixTime(kUnixEpochDay - 0.5 / 86400.0), 0);   // -0.5 s -> 0
    EXPECT_EQ(DateTimeToUnixTime(kUnixEpochDay - 1.0), -86400);
    EXPECT_EQ(DateTimeToUnixTime(At(9999, 12, 31)), 2147483647);        // clamped, not wrapped
}

TEST(DateTime, AddHoursAndAddDaysKeepTheTimeOfDay) {
    DateTime t = At(2025, 7, 4, 13, 5, 9);
    EXPECT_DOUBLE_EQ(AddHours(t, -9), At(2025, 7, 4, 4, 5, 9));
    EXPECT_DOUBLE_EQ(AddHours(t, 24 * 365), At(2026, 7, 4, 13, 5, 9));
    EXPECT_EQ(AddDays(-30, t), At(2025, 6, 4, 13, 5, 9));
    EXPECT_EQ(AddDays(1, At(2024, 2, 28, 6)), At(2024, 2, 29, 6));
    EXPECT_EQ(AddDays(1, At(2023, 2, 28, 6)), At(2023, 3, 1, 6));
    EXPECT_EQ(AddDays(1, At(2024, 12, 31, 23, 59, 59, 999)), At(2025, 1, 1, 23, 59, 59, 999));
}

TEST(DateTime, AddDaysRoundsTheTimeOfDayToWholeMilliseconds) {
    DateTime almostMidnight = At(2025, 1, 1) + (86400000.0 - 0.2) / 86400000.0;
    EXPECT_EQ(AddDays(0, almostMidnight), At(2025, 1, 2));
    DateTime fraction = At(2025, 1, 1, 10) + 0.4 / 86400000.0;
    EXPECT_EQ(AddDays(2, fraction), At(2025, 1, 3, 10));
}

TEST(DateTime, NowIsAPlausibleLocalTime) {
    DateTimeFields now = DecodeDateTime(DateTimeNow());
    EXPECT_GE(now.year, 2024);
    EXPECT_LE(now.year, 2200);
}

}  // namespace
}  // namespace pellmar
