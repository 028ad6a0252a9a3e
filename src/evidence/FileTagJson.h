#pragma once

#include <QJsonObject>

class FileTag;

// The tag as `plomera-evidence info --json` prints it and custody reports list it: every field
// the reader took from the file, the section table and the bookmarks.
namespace FileTagJson {

QJsonObject Of(const FileTag& tag, bool loaded);

} // namespace FileTagJson
