// Tests of the string table: coverage of the used numbers, the wsprintf conversions of
// each text against the values its callers pass, and the fetch limits.
#include "host/comm/messages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

namespace {

struct Range {
    unsigned first;
    unsigned last;
};

// Every message number the components fetch.
const Range kRanges[] = {{1021, 1023}, {3100, 3118}, {3600, 3632}};

bool inRanges(unsigned number)
{
    for (const Range& r : kRanges)
        if (number >= r.first && number <= r.last)
            return true;
    return false;
}

// Argument kinds of a wsprintf format, one letter per conversion:
//   s  text (%s)             c  character (%c)
//   d  int (%d, %i)          u  unsigned int (%u, %x, %X)
//   D  long (%ld, %li)       U  unsigned long (%lu, %lx, %lX)
// Returns false for anything wsprintf does not take or the callers never pass:
// floating point, %n, %p, '*' widths, 'h'/'I64' sizes, wide texts, a dangling '%'.
bool argumentKinds(const char* format, std::string& kinds)
{
    kinds.clear();
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p == '-' || *p == '#' || *p == '0')
            ++p;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            ++p;
        if (*p == '.') {
            ++p;
            while (std::isdigit(static_cast<unsigned char>(*p)))
                ++p;
        }
        const bool isLong = *p == 'l';
        if (isLong)
            ++p;
        switch (*p) {
        case 's': if (isLong) return false; kinds += 's'; break;
        case 'c': if (isLong) return false; kinds += 'c'; break;
        case 'd': case 'i': kinds += isLong ? 'D' : 'd'; break;
        case 'u': case 'x': case 'X': kinds += isLong ? 'U' : 'u'; break;
        default: return false;  // also the terminator after a dangling '%'
        }
    }
    return true;
}

struct Signature {
    unsigned number;
    const char* kinds;  // the values the caller formats into the text, in order
};

// What each caller passes. An empty signature means the text is used as it is
// (label, caption, copied description, appended question) or formatted with nothing.
const Signature kSignatures[] = {
    {1021, ""}, {1022, ""}, {1023, ""},
    {3100, ""}, {3101, ""}, {3102, ""}, {3103, ""}, {3104, ""}, {3105, ""}, {3106, ""},
    {3107, "ds"},  // WSAGetLastError code, dial-up profile name
    {3108, "s"},   // application name
    {3109, ""}, {3110, ""}, {3111, ""}, {3112, ""}, {3113, ""}, {3114, ""}, {3115, ""},
    {3116, ""}, {3117, ""}, {3118, ""},
    {3600, "s"},   // application name
    {3601, "s"},   // profile name
    {3602, "s"},   // member key name
    {3603, "s"},   // member list entry cut after the interface name
    {3604, "D"},   // registry error code (LONG)
    {3605, ""}, {3606, ""}, {3607, ""},
    {3608, "s"},   // profile name
    {3609, ""},
    {3610, "s"},   // profile name
    {3611, ""},
    {3612, "us"},  // Login number, user name
    {3613, "ss"},  // interface name, user name
    {3614, ""}, {3615, ""}, {3616, ""}, {3617, ""}, {3618, ""}, {3619, ""}, {3620, ""},
    {3621, ""}, {3622, ""}, {3623, ""}, {3624, ""}, {3625, ""}, {3626, ""}, {3627, ""},
    {3628, ""}, {3629, ""}, {3630, ""}, {3631, ""},
    {3632, "u"},   // the most members a profile holds
};

const Signature* signatureOf(unsigned number)
{
    for (const Signature& s : kSignatures)
        if (s.number == number)
            return &s;
    return nullptr;
}

// The guard below is only as good as the parser; make sure it tells formats apart.
TEST(StringTableFormatParser, ClassifiesConversions)
{
    struct Case {
        const char* format;
        bool valid;
        const char* kinds;
    } const cases[] = {
        {"plain text", true, ""},
        {"100%% sure", true, ""},
        {"Error %lXh opening %s", true, "Us"},
        {"%u: %s\t%s", true, "uss"},
        {"%-10s|%08lx|%.3d|%ld|%c", true, "sUdDc"},
        {"%f", false, ""},
        {"%*d", false, ""},
        {"%hs", false, ""},
        {"%ls", false, ""},
        {"%n", false, ""},
        {"%p", false, ""},
        {"ends in %", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        std::string kinds;
        const bool valid = argumentKinds(c.format, kinds);
        EXPECT_EQ(c.valid, valid);
        if (c.valid) {
            EXPECT_EQ(c.kinds, kinds);
        }
    }
}

TEST(StringTable, EveryUsedNumberHasATextAndASignature)
{
    for (const Range& r : kRanges) {
        for (unsigned n = r.first; n <= r.last; ++n) {
            SCOPED_TRACE(n);
            const char* text = lookUpMessage(n);
            ASSERT_NE(nullptr, text);
            EXPECT_NE('\0', text[0]);
            EXPECT_NE(nullptr, signatureOf(n)) << "no expected signature for this number";
        }
    }
    for (const Signature& s : kSignatures)
        EXPECT_TRUE(inRanges(s.number)) << "signature for unused number " << s.number;
}

TEST(StringTable, ConversionsMatchWhatCallersPass)
{
    for (const Signature& s : kSignatures) {
        const char* text = lookUpMessage(s.number);
        SCOPED_TRACE(testing::Message() << s.number << ": \"" << (text ? text : "(null)") << "\"");
        ASSERT_NE(nullptr, text);
        std::string kinds;
        ASSERT_TRUE(argumentKinds(text, kinds)) << "conversion wsprintf cannot take";
        EXPECT_EQ(s.kinds, kinds);
        // Texts used without formatting would show an escaped "%%" as it is.
        if (s.kinds[0] == '\0') {
            EXPECT_EQ(nullptr, std::strchr(text, '%'));
        }
    }
}

TEST(StringTable, TextsFitTheirFetchLimit)
{
    for (const Signature& s : kSignatures) {
        const char* text = lookUpMessage(s.number);
        ASSERT_NE(nullptr, text);
        // GetString copies into a buffer of the limit, terminator included.
        const size_t limit = s.number == 3108 ? 500 : 150;
        EXPECT_LT(std::strlen(text), limit) << s.number << ": \"" << text << "\"";
    }
}

TEST(StringTable, UnusedNumbersHaveNoText)
{
    for (unsigned n = 0; n < 10000; ++n) {
        if (!inRanges(n)) {
            EXPECT_EQ(nullptr, lookUpMessage(n)) << n;
        }
    }
    EXPECT_EQ(nullptr, lookUpMessage(UINT_MAX));
}

}  // namespace
