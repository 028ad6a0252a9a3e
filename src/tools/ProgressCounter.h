#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

class CommandOutput;

// The one progress display of long work: a single line on standard error
// ("make-sample: camera_2.video 750/1500 frames"), drawn only when standard error is a terminal
// and --quiet was not given, redrawn at most ten times a second and wiped when the work ends, so
// that neither a pipe nor a log ever receives it.
class ProgressCounter {
public:
    enum class Unit { Items, Bytes };

    // itemName: what Items counts ("frames"); unused for Bytes.
    ProgressCounter(CommandOutput& io, bool quiet, const QString& label, Unit unit, const QString& itemName = {});
    ~ProgressCounter();

    ProgressCounter(const ProgressCounter&) = delete;
    ProgressCounter& operator=(const ProgressCounter&) = delete;

    bool Shown() const { return shown_; }
    // detail: what is being worked on (a file name), may be empty.
    void Update(qint64 done, qint64 total, const QString& detail = {});
    void Finish();

private:
    QString Amount(qint64 done, qint64 total) const;

    CommandOutput& io_;
    bool shown_;
    QString label_;
    Unit unit_;
    QString itemName_;
    QElapsedTimer sinceDrawn_;
    QString detail_;
    bool drawn_ = false;
};
