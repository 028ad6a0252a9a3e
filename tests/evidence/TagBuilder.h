#pragma once

// Lays out test evidence byte by byte from the published tag layouts, independently of the
// production writer: stream, bookmark/metadata sections, tag body and trailer.
#include <cstdint>
#include <string>
#include <vector>

struct TagSpec {
    std::string version = "6.2"; // "6.0", "6.1", "6.2", "7.1" or any two bytes via major/minor
    int major = -1;
    int minor = -1;
    std::string stream = std::string(2048, 'S');
    std::string leading;
    std::string model = "KDR-0401";
    std::string device = "Front office";
    std::string cameraBlock; // empty: built from cameraNames, space-padded
    std::vector<std::string> cameraNames = {"Door", "Till", "Yard"};
    uint32_t mask = 7;
    std::string start = "45000.25";
    std::string end = "45000.5";
    uint8_t afterEnd = 3;
    std::string number = "2.5";
    uint8_t encrypted = 0;
    uint8_t flagB = 0;
    uint8_t fisheye = 0;
    std::string mount;
    uint8_t viewFlag = 0;
    std::string viewMode;
    uint8_t value1[4] = {0, 0, 0, 0};
    uint8_t value2[4] = {0, 0, 0, 0};
    std::string bookmarkSection;  // raw bytes of slot 100
    std::string tailSection;      // raw bytes of slot 101, behind the bookmarks
    int32_t metadataSlotId = -1;  // an id for slot 3, kept by saves
    // Overrides for damaged tags.
    int64_t tagStartOverride = INT64_MIN;
    int64_t lengthOverride = INT64_MIN;
    int64_t leadingLengthOverride = -1;
};

class TagBuilder {
public:
    static std::string Fixed(const std::string& text, size_t width, char pad = '\0')
    {
        std::string s = text.substr(0, width);
        s.append(width - s.size(), pad);
        return s;
    }
    static void Be(std::string& out, uint64_t v, int bytes)
    {
        for (int i = bytes - 1; i >= 0; --i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    }
    static std::string Bookmark(const std::string& name, int64_t ticks, const std::string& notes)
    {
        std::string r = Fixed(name, 16);
        for (int i = 0; i < 8; ++i) {
            r.push_back(static_cast<char>((static_cast<uint64_t>(ticks) >> (8 * i)) & 0xFF));
        }
        return r + Fixed(notes, 256);
    }

    static std::string Core(const TagSpec& s)
    {
        std::string out = Fixed(s.model, 16) + Fixed(s.device, 100);
        if (!s.cameraBlock.empty()) {
            out += Fixed(s.cameraBlock, 3200);
        } else {
            for (size_t i = 0; i < 32; ++i) {
                out += i < s.cameraNames.size() ? Fixed(s.cameraNames[i], 100, ' ') : std::string(100, '\0');
            }
        }
        Be(out, s.mask, 4);
        out += Fixed(s.start, 16) + Fixed(s.end, 16);
        out.push_back(static_cast<char>(s.afterEnd));
        out += Fixed(s.number, 16);
        return out;
    }

    static std::string Build(const TagSpec& s)
    {
        const bool shortTrailer = s.version == "6.0" || s.version == "6.1";
        int major = s.major >= 0 ? s.major : s.version[0] - '0';
        int minor = s.minor >= 0 ? s.minor : s.version[2] - '0';
        std::string leadLen;
        Be(leadLen, s.leadingLengthOverride >= 0 ? static_cast<uint64_t>(s.leadingLengthOverride) : s.leading.size(), 4);
        std::string body;
        if (s.version == "6.0") {
            body = Core(s);
            body.push_back(static_cast<char>(s.encrypted));
            body.push_back(static_cast<char>(s.flagB));
        } else {
            body = leadLen + s.leading + Core(s);
            body.push_back(static_cast<char>(s.encrypted));
            body.push_back(static_cast<char>(s.flagB));
            body.push_back(static_cast<char>(s.fisheye));
            if (s.version == "7.1") {
                body += Fixed(s.mount, 20);
                body.push_back(static_cast<char>(s.viewFlag));
                body += Fixed(s.viewMode, 20);
                body.append(reinterpret_cast<const char*>(s.value1), 4);
                body.append(reinterpret_cast<const char*>(s.value2), 4);
            } else {
                body += std::string(20, '\0');
            }
        }
        if (shortTrailer) {
            std::string out = s.stream + body;
            Be(out, s.lengthOverride != INT64_MIN ? static_cast<uint64_t>(s.lengthOverride) : body.size() + 9, 4);
            out.push_back(static_cast<char>(major));
            out.push_back(static_cast<char>(minor));
            return out + "TAG";
        }
        const uint64_t bookmarksAt = s.stream.size();
        const uint64_t tailAt = bookmarksAt + s.bookmarkSection.size();
        const uint64_t tagStart = tailAt + s.tailSection.size();
        for (int slot = 0; slot < 102; ++slot) {
            int32_t id = -1;
            uint64_t pos = bookmarksAt;
            if (slot == 3) {
                id = s.metadataSlotId;
            } else if (slot == 100) {
                id = 999;
            } else if (slot == 101) {
                id = s.tailSection.empty() ? -1 : 7;
                pos = tailAt;
            }
            Be(body, static_cast<uint32_t>(id), 4);
            Be(body, pos, 8);
        }
        std::string out = s.stream + s.bookmarkSection + s.tailSection + body;
        Be(out, s.tagStartOverride != INT64_MIN ? static_cast<uint64_t>(s.tagStartOverride) : tagStart, 8);
        Be(out, s.lengthOverride != INT64_MIN ? static_cast<uint64_t>(s.lengthOverride) : body.size() + 17, 4);
        out.push_back(static_cast<char>(major));
        out.push_back(static_cast<char>(minor));
        return out + "TAG";
    }
};
