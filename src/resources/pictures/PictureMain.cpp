// The picture generator: draws every registered picture into <out>/<number>.png and lists them
// in <out>/pictures.qrc under the prefix "/PNG", aliased by number.
#include "Picture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <map>
#include <string>

namespace {

struct Entry {
    int width;
    int height;
    Pictures::DrawFunction draw;
    const char* file;
};

std::map<int, Entry>& Registry()
{
    static std::map<int, Entry> registry;
    return registry;
}

std::string& Duplicates()
{
    static std::string text;
    return text;
}

} // namespace

bool Pictures::Register(int number, int width, int height, DrawFunction draw, const char* file)
{
    auto [it, added] = Registry().emplace(number, Entry{width, height, draw, file});
    if (!added) {
        Duplicates() += "picture " + std::to_string(number) + " registered in " + it->second.file
            + " and in " + file + "\n";
    }
    return added;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: plomera_pictures OUTPUT_FOLDER\n");
        return 64;
    }
    if (!Duplicates().empty()) {
        std::fprintf(stderr, "%s", Duplicates().c_str());
        return 1;
    }
    // Fonts come from the platform plugin; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QString qrc;
    QTextStream list(&qrc);
    list << "<RCC>\n  <qresource prefix=\"/PNG\">\n";
    for (const auto& [number, entry] : Registry()) {
        QImage image(entry.width, entry.height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            entry.draw(p, image.size());
        }
        const QString name = QString::number(number) + QStringLiteral(".png");
        if (!image.save(out + QLatin1Char('/') + name, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out + QLatin1Char('/') + name));
            return 1;
        }
        list << "    <file alias=\"" << number << "\">" << name << "</file>\n";
    }
    list << "  </qresource>\n</RCC>\n";
    list.flush();
    QFile file(out + QStringLiteral("/pictures.qrc"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(qrc.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    return 0;
}
