// TextOrder: whether lines appear in a console transcript or a log in a given order.
#pragma once
#include <string>
#include <vector>

// The lines appear in the text in this order; the first one missing, or "" when all are there.
inline std::string FirstMissingInOrder(const std::string& text, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines) {
        const size_t found = text.find(line, at);
        if (found == std::string::npos)
            return line;
        at = found + line.size();
    }
    return "";
}
