#pragma once

#include "events/ViewerMessageEvent.h"
#include "events/structMapPoint.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <map>
#include <vector>

// How a test expects a message parameter to be read.
enum class ParamKind { Zero, Flag, Number, Text, Time, Address, Point, Rect, MapPoint, Window };

struct Delivery {
    int message = 0;
    QString w;
    QString l;
};

// Stands in for the viewer window: records each message it receives, reading the parameters
// while the sender still holds what they point at.
class RecordingViewer : public QObject {
public:
    ParamKind wKind = ParamKind::Zero;
    ParamKind lKind = ParamKind::Zero;
    // Names of the objects tests pass by address.
    std::map<quintptr, QString> names;
    std::vector<Delivery> deliveries;

    bool event(QEvent* event) override
    {
        ViewerMessageEvent* message = ViewerMessageEvent::From(event);
        if (!message)
            return QObject::event(event);
        deliveries.push_back({message->Message(), Read(wKind, message->WParam()), Read(lKind, message->LParam())});
        return true;
    }

private:
    QString Name(quintptr address) const
    {
        if (address == 0)
            return QStringLiteral("none");
        const auto found = names.find(address);
        return found == names.end() ? QStringLiteral("unknown") : found->second;
    }

    QString Read(ParamKind kind, quintptr param) const
    {
        if (kind != ParamKind::Zero && kind != ParamKind::Flag && kind != ParamKind::Number &&
            kind != ParamKind::Address && param == 0)
            return QStringLiteral("null");
        switch (kind) {
        case ParamKind::Zero:
        case ParamKind::Flag:
        case ParamKind::Number:
            return QString::number(param);
        case ParamKind::Text:
            return QLatin1Char('"') + *reinterpret_cast<const QString*>(param) + QLatin1Char('"');
        case ParamKind::Time:
            return QString::number(*reinterpret_cast<const qint64*>(param));
        case ParamKind::Address:
            return Name(param);
        case ParamKind::Point: {
            const QPoint& point = *reinterpret_cast<const QPoint*>(param);
            return QStringLiteral("%1,%2").arg(point.x()).arg(point.y());
        }
        case ParamKind::Rect: {
            const QRect& rect = *reinterpret_cast<const QRect*>(param);
            return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
        }
        case ParamKind::MapPoint: {
            const structMapPoint& point = *reinterpret_cast<const structMapPoint*>(param);
            return QStringLiteral("%1,%2").arg(point.latitude).arg(point.longitude);
        }
        case ParamKind::Window:
            return Name(reinterpret_cast<quintptr>(*reinterpret_cast<QObject* const*>(param)));
        }
        return {};
    }
};
