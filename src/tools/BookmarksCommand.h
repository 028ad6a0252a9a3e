#pragma once

#include <QStringList>

// `plomera-evidence bookmarks FILE list|add|delete|clear`: changes the file's bookmark list and
// stores it through the same save the player uses. A failure leaves the file as it was.
class BookmarksCommand {
public:
    static int Run(const QStringList& args);
};
