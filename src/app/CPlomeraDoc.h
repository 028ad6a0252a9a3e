#pragma once

#include <QObject>

// The single document: it holds no data; saving and serialisation do nothing.
class CPlomeraDoc : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};
