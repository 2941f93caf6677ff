// Doubles of a column with a size of 15 digits or fewer: the text must be what "%.<size>g"
// prints wherever that reads back as the same double, and otherwise the shortest text that does.
// Checked against that definition itself (print, read back) over values of every magnitude.
#include <gtest/gtest.h>

#include "dbaccess/field_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string Printed(double value, int digits)
{
    char text[64];
    const auto r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return std::string(text, r.ptr);
}

bool ReadsBack(const std::string& text, double value)
{
    double back = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), back);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && back == value;
}

size_t SignificantDigits(const std::string& text)
{
    size_t n = 0;
    bool leading = true;
    for (char ch : text)
    {
        if (ch == 'e')
            break;
        if (ch < '0' || ch > '9' || (leading && ch == '0'))
            continue;
        leading = false;
        ++n;
    }
    return n ? n : 1;
}

std::string Formatted(double value, int digits)
{
    Zelt::ICursor::CColumnDesc desc;
    desc.nColumnSize = static_cast<SQLULEN>(digits);
    CString text;
    SetDoubleText(text, value, &desc);
    return std::string(CStringA(text).GetString());
}

TEST(FieldTextGeneral, PrintedFormWhereItReadsBackElseTheShortest)
{
    std::mt19937_64 random(20261207);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  10.0,
                                  1e10,
                                  1e14,
                                  1e15,
                                  123456789012345.0,
                                  0.1,
                                  1.0 / 3,
                                  2.0 / 3,
                                  1e-5,
                                  1.5e-5,
                                  9.5,
                                  999999999999999.9,
                                  1e300,
                                  5e-324,
                                  1.7976931348623157e308,
                                  0.30000000000000004};
    for (int i = 0; i < 20000; ++i)
    {
        std::uint64_t bits = random();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (std::isfinite(d))
            values.push_back(d);
        values.push_back(static_cast<double>(random() % 100000000) / 1000.0);
        values.push_back(
            static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) / 7.0);
    }
    for (int digits : {1, 6, 10, 15})
        for (double value : values)
        {
            const std::string printed = Printed(value, digits);
            const std::string got = Formatted(value, digits);
            if (ReadsBack(printed, value))
            {
                ASSERT_EQ(got, printed) << digits;
            }
            else
            {
                ASSERT_TRUE(ReadsBack(got, value)) << got << " " << digits;
                char shortest[64];
                const auto r = std::to_chars(shortest, shortest + sizeof shortest, value,
                                             std::chars_format::scientific);
                ASSERT_EQ(SignificantDigits(got), SignificantDigits(std::string(shortest, r.ptr)))
                    << got;
            }
        }
}

} // namespace
