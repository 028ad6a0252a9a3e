#pragma once

class FileTag;
class QJsonObject;
struct ToolCommand;

// `plomera-evidence info FILE [--json]`: the tag as the player reads it.
// Exit 0 when a recognised tag was read, 1 when the file has none, 2 when it cannot be read.
class EvidenceInfoCommand {
public:
    static const ToolCommand& Command();
    static QJsonObject ToJson(const FileTag& tag, bool loaded);
};
