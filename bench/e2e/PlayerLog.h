#pragma once

#include <string>
#include <vector>

// The player's log (OmbrixPlayer.log in its working folder) as the benchmarks read it back.
namespace E2e {

struct PlayerLog {
    bool present = false;             // the file was there to read
    std::vector<std::string> errors;  // the lines of records of level Error
    std::vector<std::string> texts;   // every record's text, in order
};

// Records are "  HH:MM:SS.mmm<TAB>thread<TAB>level<TAB>text" lines; the day's header lines and
// the further lines of a text that itself held line breaks are not records.
PlayerLog ReadPlayerLog(const std::string& path);

// How many records' texts contain text.
int CountRecords(const PlayerLog& log, const std::string& text);

} // namespace E2e
