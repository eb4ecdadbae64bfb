#include "compare/filemask.h"

namespace {

bool sameIgnoringCase(QChar a, QChar b)
{
    if (a == b)
        return true;
    const char16_t x = a.unicode();
    const char16_t y = b.unicode();
    if (x < 128 && y < 128) // the common case, without a table look-up
        return (x >= u'a' && x <= u'z' ? x - 32 : x) == (y >= u'a' && y <= u'z' ? y - 32 : y);
    return a.toUpper() == b.toUpper();
}

} // namespace

bool maskMatches(QStringView name, QStringView mask)
{
    qsizetype n = 0;
    qsizetype m = 0;
    qsizetype starMask = -1; // the last '*' seen, and where its run in the name ends now
    qsizetype starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == u'?' || sameIgnoringCase(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            // Let the last '*' swallow one more character and try again from there.
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}
