#pragma once

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessageTable.h"
#include "events/structMapPoint.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <map>
#include <vector>

struct Delivery {
    int message = 0;
    QString w;
    QString l;
};

// Stands in for the viewer window: records each message it receives, reading the parameters by
// the kinds of the message's row in the message table while the sender still holds what they
// point at. A number without a row is recorded with the parameters as plain numbers.
class RecordingViewer : public QObject {
public:
    // Names of the objects tests pass by address.
    std::map<quintptr, QString> names;
    std::vector<Delivery> deliveries;

    bool event(QEvent* event) override
    {
        ViewerMessageEvent* message = ViewerMessageEvent::From(event);
        if (!message)
            return QObject::event(event);
        const ViewerMessageSpec* spec = ViewerMessages::Find(message->Message());
        const ParamKind w = spec ? spec->w : ParamKind::Number;
        const ParamKind l = spec ? spec->l : ParamKind::Number;
        deliveries.push_back({message->Message(), Read(w, message->WParam()), Read(l, message->LParam())});
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
        switch (kind) {
        case ParamKind::None:
        case ParamKind::Flag:
        case ParamKind::Number:
            return QString::number(param);
        case ParamKind::Video:
        case ParamKind::Bookmark:
        case ParamKind::BookmarkList:
        case ParamKind::NavigatorItem:
        case ParamKind::Cell:
        case ParamKind::Object:
            return Name(param);
        default:
            break;
        }
        // The rest point at a value the sender holds.
        if (param == 0)
            return QStringLiteral("null");
        switch (kind) {
        case ParamKind::Text:
        case ParamKind::OwnedText:
            return QLatin1Char('"') + *reinterpret_cast<const QString*>(param) + QLatin1Char('"');
        case ParamKind::Time:
            return QString::number(*reinterpret_cast<const qint64*>(param));
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
        default:
            return {};
        }
    }
};
