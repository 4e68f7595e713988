// FormatConversions: the conversion kinds of a wide format text.
#include "scifi/text/FormatConversions.h"

std::string FormatConversionKinds(const wString& format)
{
    std::string kinds;
    const char16_t* p = format.c_str();
    while (p && *p) {
        if (*p++ != u'%')
            continue;
        if (*p == u'%') {
            ++p;
            continue;
        }
        while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'.' || (*p >= u'0' && *p <= u'9'))
            ++p;
        if (*p == u's')
            kinds += 's';
        else if (*p == u'd' || *p == u'i')
            kinds += 'd';
        else
            kinds += '?';
        if (*p)
            ++p;
    }
    return kinds;
}
