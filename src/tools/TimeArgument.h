#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The paragraph on times, as a literal so that help texts can join it to their own.
#define PLOMERA_TIME_FORMS_HELP                                                                    \
    "TIME is local time \"YYYY-MM-DD HH:MM:SS\" (the TZ of this process), ISO 8601 with a zone\n" \
    "(\"2021-06-05T07:09:00Z\", \"2021-06-05T09:09:00+02:00\") or epoch seconds (\"1622876940\")."

// The one reading of a time given on the command line, to a time value (seconds since 1970 UTC):
//   local time       "2021-06-05 07:09:00" (or "2021-06-05T07:09:00"), under the process's TZ;
//   ISO 8601, zoned  "2021-06-05T07:09:00Z", "2021-06-05T07:09:00+02:00" (or "+0200", "+02");
//   epoch seconds    "1622876940".
// Years 1 to 9999, whole seconds. A local time that does not exist (skipped by a clock change)
// is refused rather than moved.
class TimeArgument {
public:
    // One line for mistakes, and the lines the help texts share.
    static constexpr const char* kFormsShort =
        "local \"YYYY-MM-DD HH:MM:SS\", ISO 8601 with a zone or epoch seconds";
    static constexpr const char* kFormsHelp = PLOMERA_TIME_FORMS_HELP;

    static std::optional<qint64> Parse(const QString& text);
    // "YYYY-MM-DD HH:MM:SS" in local time, "?" when the value has no calendar time.
    static QString FormatLocal(qint64 time);
};
