#pragma once

#include <QString>
#include <QStringList>

// The dewarp view requests of a fisheye tile's menu: a key names either a combined layout (several
// views opened together, with the display type code the library lays them out by) or, for any
// other key, one view of that name. Keys match exactly, letter case included.
class DewarpViewKeys {
public:
    struct Combined {
        const char* key;
        const char* name;  // the views' names joined by "+"
        int views;
        int displayType;
    };

    // The combined layout of the key, null for a single view.
    static const Combined* Find(const QString& key);
    // A view's display title: the fisheye camera's title and the view's name.
    static QString ViewTitle(const QString& cameraTitle, const QString& viewName);
};
