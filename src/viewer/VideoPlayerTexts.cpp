#include "viewer/VideoPlayerTexts.h"

#include <QDate>
#include <QTime>

namespace VideoPlayerTexts {

QString StateText(PlaybackState state, int speedSteps)
{
    switch (state) {
    case PlaybackState::Closed: return QStringLiteral("Playback Closed");
    case PlaybackState::Opened: return QString();
    case PlaybackState::Rewinding: return QStringLiteral("Rewinding %1x").arg(speedSteps);
    case PlaybackState::FastForward: return QStringLiteral("Fast Forward %1x").arg(speedSteps);
    case PlaybackState::Paused: return QStringLiteral("Paused");
    case PlaybackState::Playing: return QStringLiteral("Playback 1x");
    case PlaybackState::SteppedBack: return QStringLiteral("Previous Frame");
    case PlaybackState::SteppedForward: return QStringLiteral("Next Frame");
    }
    return QString();
}

namespace {

bool IsLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Splits a QLocale time format into its fields and literal text: a field is a run of one
// letter, a literal is anything else (quoted text stays one literal with its quotes).
struct Token {
    QString text;
    bool field;
};

QList<Token> Tokens(const QString& format)
{
    QList<Token> tokens;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype j = i + 1;
        bool field = false;
        if (c == QLatin1Char('\'')) {
            while (j < format.size() && format.at(j) != QLatin1Char('\'')) {
                ++j;
            }
            j = std::min(j + 1, format.size());
        } else if (IsLetter(c)) {
            while (j < format.size() && format.at(j) == c) {
                ++j;
            }
            field = true;
        }
        if (!field && !tokens.isEmpty() && !tokens.last().field) {
            tokens.last().text += format.mid(i, j - i);
        } else {
            tokens.append({format.mid(i, j - i), field});
        }
        i = j;
    }
    return tokens;
}

bool IsBlank(const QString& text)
{
    for (QChar c : text) {
        if (!c.isSpace()) {
            return false;
        }
    }
    return true;
}

} // namespace

QString TimeFormat(const QLocale& locale, bool milliseconds)
{
    QList<Token> tokens = Tokens(locale.timeFormat(QLocale::LongFormat));
    // The zone goes, with the blank that separates it from the rest.
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].field && tokens[i].text.startsWith(QLatin1Char('t'))) {
            if (i > 0 && !tokens[i - 1].field && IsBlank(tokens[i - 1].text)) {
                tokens.removeAt(i - 1);
                --i;
            } else if (i + 1 < tokens.size() && !tokens[i + 1].field && IsBlank(tokens[i + 1].text)) {
                tokens.removeAt(i + 1);
            }
            tokens.removeAt(i);
            --i;
        }
    }
    QString format;
    for (const Token& t : tokens) {
        format += t.text;
        if (milliseconds && t.field && t.text.startsWith(QLatin1Char('s'))) {
            format += QStringLiteral(".zzz");
        }
    }
    return format.trimmed();
}

QString TimeText(const CalendarFields& time, bool milliseconds, const QLocale& locale)
{
    const QDate date(time.year, time.month, time.day);
    const QTime clock(time.hour, time.minute, time.second, milliseconds ? time.millisecond : 0);
    return QStringLiteral("%1 %2").arg(locale.toString(date, QLocale::ShortFormat),
                                       locale.toString(clock, TimeFormat(locale, milliseconds)));
}

QString CameraTitleTooltip(const QString& title)
{
    return QStringLiteral("Camera title: %1").arg(title);
}

QString DeviceTitleTooltip(const QString& title)
{
    return QStringLiteral("Device title: %1").arg(title);
}

QString StreamInfo(double frameRate, int width, int height)
{
    const int fps = static_cast<int>(frameRate);
    if (fps == 0) {
        return QString();
    }
    const QString rate = QStringLiteral("%1fps").arg(fps);
    if (width > 0) {
        return QStringLiteral("%1, %2x%3").arg(rate).arg(width).arg(height);
    }
    return rate;
}

QString StatusTooltip(const QString& stateText, const QString& streamInfo)
{
    return QStringLiteral("%1: %2 %3").arg(QStringLiteral("Video stream status"), stateText, streamInfo);
}

} // namespace VideoPlayerTexts
