#include "tools/CommandArguments.h"
#include "tools/CommandOutput.h"
#include "tools/CommandTable.h"
#include "tools/ProgressCounter.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class ToolCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/London", 1);
        tzset();
    }
};

// 2021-06-05 07:09:00 BST is 06:09:00 UTC.
constexpr qint64 kSummerMorning = 1622873340;

TEST_F(ToolCliTest, EveryTimeFormNamesTheSameSecond)
{
    const struct {
        const char* text;
        qint64 expected;
    } accepted[] = {
        {"2021-06-05 07:09:00", kSummerMorning},
        {"2021-06-05T07:09:00", kSummerMorning},
        {"2021-06-05T06:09:00Z", kSummerMorning},
        {"2021-06-05T08:09:00+02:00", kSummerMorning},
        {"2021-06-05T08:09:00+0200", kSummerMorning},
        {"2021-06-05T08:09:00+02", kSummerMorning},
        {"2021-06-05T00:39:00-05:30", kSummerMorning},
        {"1622873340", kSummerMorning},
        {"-86400", -86400},
        {"2021-01-05 07:09:00", 1609830540}, // winter: local time is UTC
        {"0001-01-01T00:00:00Z", -62135596800},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.text);
        const auto t = TimeArgument::Parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(*t, c.expected);
    }
    EXPECT_EQ(TimeArgument::FormatLocal(kSummerMorning), "2021-06-05 07:09:00");
}

TEST_F(ToolCliTest, TimesThatNameNoSecondAreRefused)
{
    for (const char* text : {"", "yesterday", "2021-06-05", "2021-06-05 7:09:00", "2021-02-29 10:00:00",
                             "2021-06-05 24:00:00", "2021-06-05 07:60:00", "2021-06-05 07:09:60",
                             "2021-06-05 07:09:00Z", "2021-06-05T07:09:00+24:00", "2021-06-05T07:09:00.5Z",
                             "2021-06-05T07:09:00 Z", "1e9", "12345678901234", "+5", " 1622873340",
                             // skipped by the clock change: never shown by a clock in London
                             "2021-03-28 01:30:00"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TimeArgument::Parse(QString::fromLatin1(text)).has_value());
    }
}

std::vector<OptionSpec> Options()
{
    return {{"--time", "TIME"}, {"--name", "NAME"}, {"--json", {}}, {"--count", "N"}};
}

QString MistakeOf(const QStringList& words)
{
    try {
        const CommandArguments args = CommandArguments::Parse(words, Options());
        args.Time("--time");
        args.Integer("--count", 1, 9);
        args.ExpectPositional(1, 2, "FILE");
    } catch (const UsageError& e) {
        return e.Text();
    }
    return QString();
}

TEST_F(ToolCliTest, OptionsStandAnywhereAndMistakesAreNamed)
{
    const CommandArguments a =
        CommandArguments::Parse({"file", "--name", "first", "add", "--json", "--name=second", "--", "--time"}, Options());
    EXPECT_EQ(a.Positional(), QStringList({"file", "add", "--time"}));
    EXPECT_EQ(a.Value("--name"), "second"); // the last one counts
    EXPECT_EQ(a.All("--name"), QStringList({"first", "second"})); // unless every one is asked for
    EXPECT_TRUE(a.All("--time").isEmpty());
    EXPECT_TRUE(a.Has("--json"));
    EXPECT_FALSE(a.HelpAsked());
    // A value may look like an option or a negative number.
    EXPECT_EQ(CommandArguments::Parse({"--name", "--json", "--time", "-5"}, Options()).Time("--time"), -5);
    EXPECT_TRUE(CommandArguments::Parse({"x", "--time", "soon", "-h"}, Options()).HelpAsked());

    const struct {
        QStringList words;
        const char* mistake;
    } cases[] = {
        {{"f", "--bogus"}, "unknown option '--bogus'"},
        {{"f", "--bogus=1"}, "unknown option '--bogus'"},
        {{"f", "-x"}, "unknown option '-x'"},
        {{"f", "--json=yes"}, "option '--json' takes no value"},
        {{"f", "--time"}, "option '--time' needs a value (TIME)"},
        {{"f", "--time", "noon"}, "bad time 'noon' for --time (local \"YYYY-MM-DD HH:MM:SS\", ISO 8601 with a zone or "
                                  "epoch seconds)"},
        {{"f", "--count", "10"}, "bad number '10' for --count (1 to 9)"},
        {{"f", "--count", "3x"}, "bad number '3x' for --count (1 to 9)"},
        {{}, "missing FILE"},
        {{"f", "g", "h"}, "unexpected argument 'h'"},
        {{"f", "--count", "3", "--time=1"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        EXPECT_EQ(MistakeOf(c.words), QString::fromUtf8(c.mistake));
    }
    try {
        CommandArguments::Parse({"f", "--time", "1", "--json"}, Options()).AllowOnly("list", {"--json"});
        FAIL();
    } catch (const UsageError& e) {
        EXPECT_EQ(e.Text(), "list takes no option '--time'");
    }
}

int EchoBody(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, "WORD");
    io.Line(args.Positional().first());
    return 3;
}

const ToolCommand kEcho{"echo", "prints its word", "echo WORD", "Prints WORD.\n", {{"--json", {}}}, &EchoBody};

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome RunTable(const QStringList& words)
{
    Outcome r{};
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    CommandOutput io(out, err);
    r.status = CommandTable({&kEcho}).Run(words, io);
    out.flush();
    err.flush();
    return r;
}

TEST_F(ToolCliTest, HelpVersionAndMistakesFollowOneRule)
{
    for (const QStringList& words : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"help"}}) {
        const Outcome r = RunTable(words);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.startsWith("usage: plomera-evidence COMMAND")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("  echo         prints its word\n"));
        EXPECT_TRUE(r.err.isEmpty());
    }
    const Outcome version = RunTable({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, CommandTable::VersionLine() + "\n");
    EXPECT_TRUE(version.out.contains(QRegularExpression("^plomera-evidence [0-9]+\\.[0-9]+\\.[0-9]+\n$")));

    for (const QStringList& words : {QStringList{"echo", "--help"}, QStringList{"help", "echo"}}) {
        const Outcome r = RunTable(words);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "usage: plomera-evidence echo WORD\n\nPrints WORD.\n");
    }
    EXPECT_EQ(RunTable({"echo", "hello"}).status, 3);
    EXPECT_EQ(RunTable({"echo", "hello"}).out, "hello\n");

    const struct {
        QStringList words;
        const char* line;
    } mistakes[] = {
        {{}, "plomera-evidence: no command given"},
        {{"frobnicate"}, "plomera-evidence: unknown command 'frobnicate'"},
        {{"--verbose"}, "plomera-evidence: unknown option '--verbose'"},
        {{"help", "frobnicate"}, "plomera-evidence: no command 'frobnicate'"},
        {{"echo"}, "plomera-evidence echo: missing WORD"},
        {{"echo", "a", "--quiet"}, "plomera-evidence echo: unknown option '--quiet'"},
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.words.join(' ').toStdString());
        const Outcome r = RunTable(m.words);
        EXPECT_EQ(r.status, 64);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err, QString::fromUtf8(m.line) + ". Try 'plomera-evidence --help'.\n");
    }
}

TEST_F(ToolCliTest, ProgressIsDrawnOnlyOnATerminalAndWipedAtTheEnd)
{
    for (const bool terminal : {false, true}) {
        for (const bool quiet : {false, true}) {
            SCOPED_TRACE(std::to_string(terminal) + " " + std::to_string(quiet));
            QString out;
            QString err;
            QTextStream outStream(&out);
            QTextStream errStream(&err);
            CommandOutput io(outStream, errStream, terminal);
            {
                ProgressCounter counter(io, quiet, "make-sample", ProgressCounter::Unit::Items, "frames");
                EXPECT_EQ(counter.Shown(), terminal && !quiet);
                counter.Update(1, 100, "camera_1.video");
                counter.Update(100, 100, "camera_1.video");
            }
            errStream.flush();
            if (terminal && !quiet) {
                EXPECT_EQ(err, "\r\033[Kmake-sample: camera_1.video 1/100 frames"
                               "\r\033[Kmake-sample: camera_1.video 100/100 frames\r\033[K");
            } else {
                EXPECT_TRUE(err.isEmpty());
            }
            EXPECT_TRUE(out.isEmpty());
        }
    }
}

} // namespace
