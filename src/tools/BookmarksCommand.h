#pragma once

struct ToolCommand;

// `plomera-evidence bookmarks FILE list|add|delete|clear`: changes the file's bookmark list and
// stores it through the same save the player uses, then prints the list. A failure, and a
// write-protected file, leave the file as it was.
class BookmarksCommand {
public:
    static const ToolCommand& Command();
};
