// Writes the hand-laid seed inputs of the tag targets into DIR/<target>/: every tag version, the
// damaged trailers and sections the evidence tests know, and their save and section variants.
#include "evidence/TagBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Le32(int32_t v)
{
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    }
    return out;
}

std::vector<std::pair<std::string, TagSpec>> Tags()
{
    std::vector<std::pair<std::string, TagSpec>> out;
    TagSpec base;
    base.stream = std::string(64, 'S');
    const std::string twoMarks = TagBuilder::Bookmark("Door", 638000000000000000LL, "first")
        + TagBuilder::Bookmark("Till", 638000000100000000LL, std::string(255, 'n'));

    TagSpec s = base;
    s.version = "6.0";
    out.emplace_back("v60", s);
    s.cameraBlock = "   Lead" + std::string(100, ' ') + "Next";
    s.mask = 5;
    out.emplace_back("v60-shifted-names", s);

    s = base;
    s.version = "6.1";
    s.leading = "Exported by the recorder";
    s.fisheye = 2;
    out.emplace_back("v61", s);
    s.leadingLengthOverride = 0x7FFFFFF0;
    out.emplace_back("v61-long-leading", s);

    s = base;
    s.version = "6.2";
    s.bookmarkSection = twoMarks;
    s.tailSection = std::string(40, 'M');
    s.metadataSlotId = 12;
    s.encrypted = 1;
    s.flagB = 4;
    out.emplace_back("v62", s);
    s.bookmarkSection = twoMarks.substr(0, 400);
    out.emplace_back("v62-short-record", s);
    s = base;
    s.version = "6.2";
    out.emplace_back("v62-empty", s);
    s.tagStartOverride = 1 << 30;
    out.emplace_back("v62-start-beyond-end", s);
    s = base;
    s.version = "6.2";
    s.start = "abc";
    out.emplace_back("v62-time-no-number", s);
    s.start = "-700000.5";
    out.emplace_back("v62-time-before-1900", s);

    s = base;
    s.version = "7.1";
    s.mount = "Ceiling";
    s.viewMode = "Panoramic 180";
    s.viewFlag = 1;
    s.fisheye = 1;
    s.value1[0] = 1;
    s.value2[3] = 0x80;
    s.bookmarkSection = twoMarks;
    out.emplace_back("v71", s);
    s.major = 7;
    s.minor = 2;
    out.emplace_back("v72", s);
    s.major = 0xFF;
    s.minor = 0;
    out.emplace_back("vminus1", s);
    return out;
}

std::string Le64(int64_t v)
{
    std::string out;
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((static_cast<uint64_t>(v) >> (8 * i)) & 0xFF));
    }
    return out;
}

const char kMarker[] = "{12756C78-2246-420E-870C-180649B22AA6}";

struct Carried {
    std::string name;
    std::string bytes;
};

// A many-file package: player, the files' bytes, the entry table, the block, kind 2, marker.
std::string ManyFiles(const std::vector<Carried>& files, uint8_t protection, uint32_t countOverride = 0)
{
    std::string out = "PLAYER" + std::string(58, 'P');
    std::string entries;
    for (const Carried& f : files) {
        entries += TagBuilder::Fixed(f.name, 260) + Le64(static_cast<int64_t>(out.size()))
            + Le64(static_cast<int64_t>(f.bytes.size()));
        out += f.bytes;
    }
    const uint32_t count = countOverride ? countOverride : static_cast<uint32_t>(files.size());
    out += entries + Le32(static_cast<int32_t>(count)) + std::string(1, '\0') + std::string(1, static_cast<char>(protection))
        + std::string(256, '\0');
    return out + Le32(2) + kMarker;
}

// A one-file package: player, the file, the block (offset, size, protection, digest text), kind 1.
std::string SingleFile(const std::string& bytes, uint8_t protection, int64_t sizeOverride = -1)
{
    std::string out = "PLAYER" + std::string(58, 'P');
    const int64_t offset = static_cast<int64_t>(out.size());
    out += bytes;
    out += Le64(offset) + Le64(sizeOverride >= 0 ? sizeOverride : static_cast<int64_t>(bytes.size()))
        + std::string(1, static_cast<char>(protection)) + std::string(256, '\0');
    return out + Le32(1) + kMarker;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    for (const auto& [name, laidOut] : Tags()) {
        const std::string file = TagBuilder::Build(laidOut);
        Write(dir / "tag_reader", name, file);
        // Save: keep, add one, clear, add three; with a full disk at the 1st, 3rd and 6th write.
        for (int control : {0x00, 0x01, 0x02, 0x03, 0x05, 0x0D, 0x19}) {
            char tag[8];
            std::snprintf(tag, sizeof tag, "%02x", control);
            Write(dir / "save_bookmarks", name + "-" + tag, std::string(1, static_cast<char>(control)) + file);
        }
    }
    Write(dir / "tag_reader", "no-tag", "SSSS");
    Write(dir / "tag_reader", "lower-case-marker", std::string(64, 'S') + "tag");
    Write(dir / "tag_reader", "three-bytes", "TAG");

    const std::string marks = TagBuilder::Bookmark("Door", 638000000000000000LL, "first")
        + TagBuilder::Bookmark("Yard", 638000000200000000LL, "second");
    auto section = [&](int control, int32_t a, int32_t b, int32_t c, const std::string& payload) {
        return std::string(1, static_cast<char>(control)) + Le32(a) + Le32(b) + Le32(c) + payload;
    };
    const std::filesystem::path sections = dir / "bookmark_section";
    Write(sections, "two-records", section(0, 0, 0, 0, marks));
    Write(sections, "two-records-71", section(1, 0, 0, 0, marks));
    Write(sections, "with-tail", section(2, 0, 0, 0, marks + std::string(100, 'M')));
    Write(sections, "partial-record", section(0, 0, 0, 0, marks.substr(0, 380)));
    Write(sections, "empty", section(0, 0, 0, 0, ""));
    Write(sections, "start-before-stream", section(0, -1000, 0, 0, marks));
    Write(sections, "end-before-start", section(0, 300, -300, 0, marks));
    Write(sections, "tag-start-moved", section(3, 0, 0, -50, marks + std::string(80, 'M')));

    // Packages: kinds 1 and 2, with and without a password (an empty stored digest takes any),
    // names that would leave the folder, counts and sizes beyond the file, an unknown kind.
    const std::filesystem::path packages = dir / "package";
    TagSpec small;
    small.stream = std::string(64, 'S');
    const std::string video = TagBuilder::Build(small);
    Write(packages, "many", ManyFiles({{"camera_1.video", video}, {"camera_2.video", "abc"}}, 2));
    Write(packages, "many-password", ManyFiles({{"camera_1.video", video}}, 1));
    Write(packages, "many-bad-names", ManyFiles({{"..", "a"}, {"sub\\x.video", "b"}, {"C:x", "c"}}, 2));
    Write(packages, "many-count-beyond", ManyFiles({{"a.video", "abc"}}, 2, 0x01000000));
    Write(packages, "many-bad-protection", ManyFiles({{"a.video", "abc"}}, 7));
    Write(packages, "single", SingleFile(video, 2));
    Write(packages, "single-password", SingleFile("xyz", 1));
    Write(packages, "single-size-beyond", SingleFile("xyz", 2, 1 << 30));
    std::string unknown = ManyFiles({{"a.video", "abc"}}, 2);
    unknown[unknown.size() - 42] = 3;
    Write(packages, "unknown-kind", unknown);
    Write(packages, "plain-player", "PLAYER" + std::string(200, 'P'));
    return 0;
}
