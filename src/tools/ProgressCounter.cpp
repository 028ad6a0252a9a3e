#include "tools/ProgressCounter.h"

#include "tools/CommandOutput.h"

#include <QTextStream>

namespace {

constexpr qint64 kRedrawMillis = 100;
// Back to the start of the line and wipe it.
constexpr const char* kWipe = "\r\033[K";

} // namespace

ProgressCounter::ProgressCounter(CommandOutput& io, bool quiet, const QString& label, Unit unit,
                                 const QString& itemName)
    : io_(io), shown_(!quiet && io.ErrIsTerminal()), label_(label), unit_(unit), itemName_(itemName)
{
}

ProgressCounter::~ProgressCounter()
{
    Finish();
}

void ProgressCounter::Update(qint64 done, qint64 total, const QString& detail)
{
    if (!shown_) {
        return;
    }
    // The last count and a new file are always drawn; in between, ten lines a second at most.
    if (drawn_ && done < total && detail == detail_ && sinceDrawn_.elapsed() < kRedrawMillis) {
        return;
    }
    detail_ = detail;
    io_.Out().flush();
    QTextStream& err = io_.Err();
    err << kWipe << label_ << ": ";
    if (!detail.isEmpty()) {
        err << detail << ' ';
    }
    err << Amount(done, total);
    err.flush();
    drawn_ = true;
    sinceDrawn_.start();
}

void ProgressCounter::Finish()
{
    if (drawn_) {
        io_.Err() << kWipe;
        io_.Err().flush();
        drawn_ = false;
    }
}

QString ProgressCounter::Amount(qint64 done, qint64 total) const
{
    if (unit_ == Unit::Bytes) {
        constexpr double kMiB = 1024.0 * 1024.0;
        return QStringLiteral("%1/%2 MiB").arg(done / kMiB, 0, 'f', 1).arg(total / kMiB, 0, 'f', 1);
    }
    return QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(itemName_);
}
