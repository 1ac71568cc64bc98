// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "volume.h"

#include <algorithm>

namespace slonk {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string readVolume(std::string_view text)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit))
        return "0";
    const auto first = text.find_first_not_of('0');
    return first == std::string_view::npos ? "0" : std::string(text.substr(first));
}

std::string multiplyVolume(std::string_view digits, int factor)
{
    if (factor <= 0 || digits.empty() || digits == "0")
        return "0";
    // Schoolbook multiplication by a small integer, from the last digit up;
    // the carry stays below the factor, so long long never overflows.
    std::string product(digits.size(), '0');
    long long carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const long long value = static_cast<long long>(digits[i] - '0') * factor + carry;
        product[i] = static_cast<char>('0' + value % 10);
        carry = value / 10;
    }
    std::string head;
    for (; carry > 0; carry /= 10)
        head.insert(head.begin(), static_cast<char>('0' + carry % 10));
    return head + product;
}

} // namespace slonk
