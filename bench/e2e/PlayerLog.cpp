#include "PlayerLog.h"

#include <fstream>
#include <sstream>

namespace E2e {

PlayerLog ReadPlayerLog(const std::string& path)
{
    PlayerLog log;
    std::ifstream in(path, std::ios::binary);
    log.present = in.good();
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, '\t') && fields.size() < 3;)
            fields.push_back(f);
        if (fields.size() < 3 || fields[0].rfind("  ", 0) != 0)
            continue;
        // The level is padded to seven characters; the text is whatever follows its tab.
        const size_t textAt = fields[0].size() + fields[1].size() + fields[2].size() + 3;
        if (textAt > line.size())
            continue;
        log.texts.push_back(line.substr(textAt));
        if (fields[2].find_last_not_of(' ') != std::string::npos
            && fields[2].substr(0, fields[2].find_last_not_of(' ') + 1) == "Error")
            log.errors.push_back(line);
    }
    return log;
}

int CountRecords(const PlayerLog& log, const std::string& text)
{
    int n = 0;
    for (const std::string& t : log.texts)
        n += t.find(text) != std::string::npos;
    return n;
}

} // namespace E2e
