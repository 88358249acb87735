#include "sun/Solar.h"

#include <cmath>

namespace tarnwick {
namespace {

constexpr double P1 = 3.14159265; // the series was fitted with this value, not full pi
constexpr double P2 = 2 * P1;
constexpr double DR = P1 / 180;
constexpr double K1 = 15 * DR * 1.0027379; // sidereal radians per solar hour

// The year daylight saving time in the United States moved to March and November.
constexpr int kExtendedDaylightYear = 2007;

double Int(double x) {
    return std::floor(x);
}

double Sign(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

struct SunPosition {
    double ra = 0;
    double dec = 0;
};

// tt counts centuries from 1900.
SunPosition SunAt(double t, double tt) {
    double l = 0.779072 + 0.00273790931 * t;
    double g = 0.993126 + 0.0027377785 * t;
    l = l - Int(l);
    g = g - Int(g);
    l = l * P2;
    g = g * P2;
    double v = 0.39785 * std::sin(l);
    v = v - 0.01 * std::sin(l - g);
    v = v + 0.00333 * std::sin(l + g);
    v = v - 0.00021 * tt * std::sin(l);
    double u = 1 - 0.03349 * std::cos(g);
    u = u - 0.00014 * std::cos(2 * l);
    u = u + 0.00008 * std::cos(l);
    double w = -0.0001 - 0.04129 * std::sin(2 * l);
    w = w + 0.03211 * std::sin(g);
    w = w + 0.00104 * std::sin(2 * l - g);
    w = w - 0.00035 * std::sin(2 * l + g);
    w = w - 0.00008 * tt * std::sin(g);
    SunPosition p;
    double q = w / std::sqrt(u - v * v);
    p.ra = l + std::atan(q / std::sqrt(1 - q * q));
    q = v / std::sqrt(u);
    p.dec = std::atan(q / std::sqrt(1 - q * q));
    return p;
}

} // namespace

SolarDayCount DayCountOf(int year, int month, int day) {
    const double y = year;
    const double m = month;
    const double gr = year >= 1583 ? 1 : 0;
    const double d1 = Int(day);
    double f = day - d1 - 0.5;
    double j = -Int(7 * (Int((m + 9) / 12) + y) / 4);
    double j3 = 0;
    if (gr == 1) {
        const double sg = Sign(m - 9);
        const double am = std::abs(m - 9);
        j3 = Int(y + sg * Int(am / 7));
        j3 = -Int((Int(j3 / 100) + 1) * 3 / 4);
    }
    j = j + Int(275 * m / 9) + d1 + gr * j3;
    j = j + 1721027 + 2 * gr + 367 * y;
    if (f < 0) {
        f = f + 1;
        j = j - 1;
    }
    return {j, f, (j - 2451545) + f};
}

std::optional<double> HourCrossing(double v0, double v1, double v2) {
    const double qa = 2 * v2 - 4 * v1 + 2 * v0;
    const double qb = 4 * v1 - 3 * v0 - v2;
    double e = 0;
    if (qa == 0) {
        if (qb == 0) return std::nullopt;
        e = -v0 / qb;
    } else {
        double qd = qb * qb - 4 * qa * v0;
        if (qd < 0) return std::nullopt;
        qd = std::sqrt(qd);
        e = (-qb + qd) / (2 * qa);
        if (e > 1 || e < 0) e = (-qb - qd) / (2 * qa);
    }
    // With ends of opposite signs the true root lies in the hour; keep rounding from leaving it.
    if (!(e >= 0)) return 0.0;
    return e > 1 ? 1.0 : e;
}

std::int16_t DaylightSavingHours(const Location& place, LocalDay today) {
    if (!place.daylightSaving) return 0;
    const LocalFields c = FieldsOf(today);
    const int m = c.month;
    const int d = c.day;
    const int w = c.weekday + 1; // Sunday = 1
    if (c.year >= kExtendedDaylightYear) {
        // From the second Sunday of March to the first Sunday of November.
        if (m == 3) return d - w >= 7 ? -1 : 0;
        if (m == 11) return d < w ? -1 : 0;
        return m > 3 && m < 11 ? -1 : 0;
    }
    // From the first Sunday of April to the last Sunday of October.
    if (m == 4) {
        if (d > 6) return -1;
        return w <= d ? -1 : 0;
    }
    if (m == 10) {
        if (d < 25) return -1;
        return d - w >= 24 ? 0 : -1;
    }
    return m > 4 && m < 10 ? -1 : 0;
}

void CalculateSunTimes(const Location& place, LocalDay today, SunTimes& times) {
    const LocalFields date = FieldsOf(today);
    const SolarDayCount count = DayCountOf(date.year, date.month, date.day);
    double t = count.T;
    const double tt = t / 36525 + 1;

    // Sidereal time at local midnight.
    const double l5 = place.longitude / 360;
    const double z0 = (place.timeZone + DaylightSavingHours(place, today)) / 24.0;
    double t0 = t / 36525;
    double ss = 24110.5 + 8640184.813 * t0;
    ss = ss + 86636.6 * z0 + 86400 * l5;
    ss = ss / 86400;
    ss = ss - Int(ss);
    t0 = ss * 360 * DR;
    t = t + z0;

    const SunPosition first = SunAt(t, tt);
    SunPosition second = SunAt(t + 1, tt);
    if (second.ra < first.ra) second.ra = second.ra + P2;

    const double z = std::cos(90.833 * DR);
    const double s = std::sin(place.latitude * DR);
    const double c = std::cos(place.latitude * DR);
    const double da = second.ra - first.ra;
    const double dd = second.dec - first.dec;
    double a0 = first.ra;
    double d0 = first.dec;
    double v0 = 0;

    for (int c0 = 0; c0 < 24; ++c0) {
        const double p = (c0 + 1) / 24.0;
        const double a2 = first.ra + p * da;
        const double d2 = first.dec + p * dd;
        const double l0 = t0 + c0 * K1;
        const double l2 = l0 + K1;
        const double h0 = l0 - a0;
        const double h2 = l2 - a2;
        const double h1 = (h2 + h0) / 2;
        const double dm = (d2 + d0) / 2;
        if (c0 == 0) v0 = s * std::sin(d0) + c * std::cos(d0) * std::cos(h0) - z;
        const double v2 = s * std::sin(d2) + c * std::cos(d2) * std::cos(h2) - z;

        std::optional<double> crossing;
        if (Sign(v0) != Sign(v2)) {
            const double v1 = s * std::sin(dm) + c * std::cos(dm) * std::cos(h1) - z;
            crossing = HourCrossing(v0, v1, v2);
        }
        if (crossing) {
            const double t3 = c0 + *crossing + 1.0 / 120;
            const double h = Int(t3);
            const double mn = Int((t3 - h) * 60);
            // A crossing in the day's last half minute rounds to 24:00, which is the next 0:00.
            const TimeOfDay time(static_cast<int>(h) % 24, static_cast<int>(mn));
            if (v0 < 0 && v2 > 0) times.sunrise = time;
            if (v0 > 0 && v2 < 0) times.sunset = time;
        }
        a0 = a2;
        d0 = d2;
        v0 = v2;
    }
}

} // namespace tarnwick
