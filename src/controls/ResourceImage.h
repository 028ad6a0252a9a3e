#pragma once

#include <QImage>
#include <QSize>

// A numbered PNG picture of the program's resources (":/PNG/<number>", drawn at build time:
// src/resources/pictures/Picture.h). Missing, empty or undecodable resources give an empty
// image; nothing is thrown.
class ResourceImage {
public:
    ResourceImage() = default;
    explicit ResourceImage(int id);

    bool IsEmpty() const { return image_.isNull(); }
    int Id() const { return id_; }
    // Premultiplied ARGB, ready to draw.
    const QImage& Image() const { return image_; }
    QSize Size() const { return image_.size(); }

    // The resource path of a picture number.
    static QString PathOf(int id);

private:
    int id_ = 0;
    QImage image_;
};
