#include "driver/WatermarkStatusText.h"

QString WatermarkStatusText::Row(const VDL_WatermarkStatusBlock& status)
{
    switch (status.state) {
    case VDL_WATERMARK_STATE_VERIFIED:
        return QString::asprintf("Verified (%d records)", static_cast<int>(status.recordsSeen));
    case VDL_WATERMARK_STATE_BROKEN:
        return QString::asprintf("Broken: %d of %d records failed, first at %s", static_cast<int>(status.recordsFailed),
                                 static_cast<int>(status.recordsSeen),
                                 qUtf8Printable(Moment(status.firstFailureTime, status.firstFailureMillis)));
    case VDL_WATERMARK_STATE_MISSING:
        return QString::asprintf("Missing: no record between %s and %s",
                                 qUtf8Printable(Moment(status.gapFromTime, status.gapFromMillis)),
                                 qUtf8Printable(Moment(status.gapToTime, status.gapToMillis)));
    default:
        return QStringLiteral("Not checked");
    }
}

QString WatermarkStatusText::Date(uint32_t p)
{
    return QString::asprintf("%02d-%02d-%04d %02d:%02d:%02d", VDL_PackedDay(p), VDL_PackedMonth(p), VDL_PackedYear(p),
                             VDL_PackedHour(p), VDL_PackedMinute(p), VDL_PackedSecond(p));
}

QString WatermarkStatusText::Moment(uint32_t packed, int64_t playedMillis)
{
    if (packed != 0)
        return Date(packed);
    const int64_t s = playedMillis < 0 ? 0 : playedMillis / 1000;
    return QString::asprintf("%lld:%02lld:%02lld played", static_cast<long long>(s / 3600),
                             static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
}

QString WatermarkStatusText::Fault(uint8_t fault)
{
    switch (fault) {
    case VDL_WATERMARK_FAULT_SEAL:
        return QStringLiteral("seal does not match");
    case VDL_WATERMARK_FAULT_IDENTITY:
        return QStringLiteral("serial number, MAC or channel differ from the first record");
    case VDL_WATERMARK_FAULT_TIME:
        return QStringLiteral("record time more than 1 s from its frame");
    default:
        return QStringLiteral("no record");
    }
}
